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
  KeyboardFocus backwards(options);
  backwards.Move(PageKey::Previous);
  EXPECT_EQ(options[backwards.Focused()].name, "lblEsci") << "Shift+Tab first goes to the last item";
}

}  // namespace
}  // namespace kelvano::test
