// The pages' controls and their hover highlighting, as the window takes them.
#include "ui/setup_pages.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "startup/format_text.h"
#include "startup/messages.h"

namespace kelvano::test {
namespace {

const PageItem& Item(const std::vector<PageItem>& items, const std::string& name) {
  for (const PageItem& item : items) {
    if (item.name == name) return item;
  }
  throw std::runtime_error("no control " + name);
}

SetupSettings Settings(bool support, bool website) {
  SetupSettings settings;
  settings.ProductName = "Kelvano";
  settings.SupportEnabled = support;
  settings.WebsiteEnabled = website;
  return settings;
}

TEST(SetupPages, OptionsAreShownOnlyWhenEnabledOnBothPages) {
  for (const bool enabled : {false, true}) {
    for (const auto& items :
         {OptionPageItems(Settings(enabled, !enabled)), ProgressPageItems(Settings(enabled, !enabled))}) {
      EXPECT_EQ(Item(items, "labelOptions(2)").visible, enabled);
      EXPECT_EQ(Item(items, "labelSupportDescription").visible, enabled);
      EXPECT_EQ(Item(items, "labelOptions(3)").visible, !enabled);
      EXPECT_EQ(Item(items, "labelWebsiteDescription").visible, !enabled);
    }
  }
  const auto options = OptionPageItems(Settings(false, false));
  EXPECT_EQ(Item(options, "labelInstallationServer").text, FormatText(LoadMessage(129), "Kelvano"));
  EXPECT_EQ(Item(options, "lblEsci").Pixels(), (PixelRect{629, 6, 13, 22}));
  EXPECT_EQ(Item(ProgressPageItems(Settings(false, false)), "Label1").text, FormatText(LoadMessage(131), "Kelvano"));
}

TEST(SetupPages, ClicksRaiseTheirOptionAndWebOpensTheSite) {
  const auto options = OptionPageItems(Settings(true, true));
  EXPECT_EQ(Item(options, "imageOptions(1)").clickOption, Item(options, "labelOptions(1)").clickOption);
  EXPECT_EQ(Item(options, "imageOptions(1)").click, ClickAction::OptionClick);
  EXPECT_EQ(Item(options, "lblEsci").clickOption, 3);
  EXPECT_EQ(Item(options, "labelOptions(3)").click, ClickAction::OpenWebsite) << "Web raises no event";
  EXPECT_EQ(Item(ProgressPageItems(Settings(true, true)), "labelOptions(2)").clickOption, 2);
  EXPECT_EQ(Item(options, "labelInstallationServer").click, ClickAction::None);
  EXPECT_EQ(WebsiteCommandLine("C:\\Windows", "Kelvano"),
            "\"C:\\Windows\\explorer.exe\" https://www.kelvano.com/Kelvano");
}

TEST(SetupPages, OneOptionIsBlackAtATimeAndTheBackgroundMakesAllWhite) {
  OptionHighlight highlight;
  EXPECT_FALSE(highlight.Hover(-1)) << "nothing to reset";
  EXPECT_TRUE(highlight.Hover(0));
  EXPECT_FALSE(highlight.Hover(0)) << "moving within a label changes nothing";
  EXPECT_TRUE(highlight.Hover(1));
  EXPECT_TRUE(highlight.IsBlack(1));
  EXPECT_FALSE(highlight.IsBlack(0));
  EXPECT_EQ(highlight.HighlightedOption(), 2);
  EXPECT_TRUE(highlight.Hover(-1));
  EXPECT_FALSE(highlight.IsBlack(1));
  EXPECT_EQ(highlight.HighlightedOption(), 0);
}

TEST(SetupPages, EveryScaleKeepsEachItemInsideTheWindowAtItsPlace) {
  for (const int dpi : {96, 120, 144, 192}) {
    SCOPED_TRACE(dpi);
    const int width = TwipsToPixels(kPageWidthTwips, dpi), height = TwipsToPixels(kPageHeightTwips, dpi);
    EXPECT_NEAR(width, 650 * dpi / 96.0, 1.0);
    EXPECT_NEAR(height, 450 * dpi / 96.0, 1.0);
    for (const auto& items : {OptionPageItems(Settings(true, true)), ProgressPageItems(Settings(true, true))}) {
      for (const PageItem& item : items) {
        const PixelRect at = item.Pixels(dpi), unscaled = item.Pixels();
        EXPECT_LE(at.left + at.width, width) << item.name;
        EXPECT_LE(at.top + at.height, height) << item.name;
        // The same place relative to the page: the 96 DPI place scaled, within a pixel.
        EXPECT_NEAR(at.left, unscaled.left * dpi / 96.0, 1.0) << item.name;
        EXPECT_NEAR(at.top, unscaled.top * dpi / 96.0, 1.0) << item.name;
        EXPECT_NEAR(at.width, unscaled.width * dpi / 96.0, 1.0) << item.name;
      }
    }
  }
  EXPECT_EQ(TwipsToPixels(kPageWidthTwips, 144), 975) << "the window at 150 %";
  EXPECT_EQ(TwipsToPixels(kPageHeightTwips, 144), 675);
  EXPECT_EQ(OptionPageItems(Settings(false, false))[0].Pixels(144), (PixelRect{507, 178, 78, 34})) << "Server";
}

std::vector<std::string> FocusNames(const std::vector<PageItem>& items) {
  std::vector<std::string> names;
  const KeyboardFocus focus(items);
  for (const std::size_t index : focus.Order()) names.push_back(items[index].name);
  return names;
}

TEST(SetupPages, TheKeyboardReachesTheClickableLabelsInReadingOrderAndWraps) {
  using ::testing::ElementsAre;
  EXPECT_THAT(FocusNames(OptionPageItems(Settings(true, true))),
              ElementsAre("labelOptions(0)", "labelOptions(1)", "labelOptions(2)", "labelOptions(3)", "lblEsci"));
  EXPECT_THAT(FocusNames(OptionPageItems(Settings(false, false))),
              ElementsAre("labelOptions(0)", "labelOptions(1)", "lblEsci"))
      << "hidden items are skipped";
  EXPECT_THAT(FocusNames(ProgressPageItems(Settings(true, true))), ElementsAre("labelOptions(2)", "labelOptions(3)"));

  const auto options = OptionPageItems(Settings(false, false));
  KeyboardFocus focus(options);
  EXPECT_EQ(focus.Focused(), -1) << "no focus shown before a key";
  EXPECT_FALSE(focus.Move(PageKey::Activate));
  EXPECT_TRUE(focus.Move(PageKeyOf(0x09, false)));  // Tab: Server
  EXPECT_TRUE(focus.Move(PageKeyOf(0x28, false)));  // Down: Client
  EXPECT_EQ(options[focus.Focused()].clickOption, 1) << "Enter on it starts the Client run";
  focus.Move(PageKeyOf(0x27, false));  // Right: the close control
  focus.Move(PageKeyOf(0x09, false));  // Tab wraps to Server
  EXPECT_EQ(options[focus.Focused()].name, "labelOptions(0)");
  focus.Move(PageKeyOf(0x09, true));  // Shift+Tab wraps back to the close control
  EXPECT_EQ(options[focus.Focused()].clickOption, 3);
  EXPECT_EQ(PageKeyOf(0x0D, false), PageKey::Activate);
  EXPECT_EQ(PageKeyOf(0x20, true), PageKey::Activate);
  EXPECT_EQ(PageKeyOf(0x41, false), PageKey::None);
  EXPECT_EQ(AccessibleName(options, options[focus.Focused()]), "X");
  EXPECT_EQ(AccessibleName(options, options[0]), "Server. " + FormatText(LoadMessage(129), "Kelvano"));
  const auto progress = ProgressPageItems(Settings(true, true));
  EXPECT_EQ(AccessibleName(progress, Item(progress, "labelOptions(3)")), "Web. " + FormatText(LoadMessage(133)));
  KeyboardFocus backwards(options);
  backwards.Move(PageKey::Previous);
  EXPECT_EQ(options[backwards.Focused()].name, "lblEsci") << "Shift+Tab first goes to the last item";
}

}  // namespace
}  // namespace kelvano::test
