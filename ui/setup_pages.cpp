#include "ui/setup_pages.h"

#include "startup/format_text.h"
#include "startup/messages.h"
#include "startup/path_helpers.h"
#include "system/setup_error.h"

namespace kelvano {
namespace {

std::string Message(int number, const std::string& productName, SetupLog* log) {
  // A page that cannot fill a text shows the control without it.
  try {
    return FormatText(LoadMessage(number), productName);
  } catch (...) {
    if (log != nullptr) log->Write("page text " + std::to_string(number) + " left empty: " + DescribeCurrentError());
    return {};
  }
}

PageItem OptionLabel(int index, const char* text, int left, int top, int width, int height, bool sizedToText) {
  PageItem item;
  item.name = "labelOptions(" + std::to_string(index) + ")";
  item.option = index;
  item.left = left, item.top = top, item.width = width, item.height = height;
  item.font = LabelFont::Option;
  item.text = text;
  item.sizedToText = sizedToText;
  item.handCursor = true;
  item.click = index == 3 ? ClickAction::OpenWebsite : ClickAction::OptionClick;
  item.clickOption = index == 3 ? -1 : index;
  return item;
}

PageItem Description(const char* name, std::string text, int left, int top, int width, int height,
                     bool wordWrap = false) {
  PageItem item;
  item.name = name;
  item.left = left, item.top = top, item.width = width, item.height = height;
  item.text = std::move(text);
  item.wordWrap = wordWrap;
  return item;
}

// Quick Support and Web with their descriptions, the same on both pages.
void AddSupportAndWebsite(std::vector<PageItem>& items, const SetupSettings& settings, SetupLog* log) {
  items.push_back(OptionLabel(2, "Quick Support", 1575, 5715, 1680, 345, true));
  items.back().visible = settings.SupportEnabled;
  items.push_back(Description("labelSupportDescription",
                              Message(message::kSupportDescription, settings.ProductName, log), 1575, 6090, 3180, 285));
  items.back().visible = settings.SupportEnabled;
  items.push_back(OptionLabel(3, "Web", 5790, 5730, 555, 345, true));
  items.back().visible = settings.WebsiteEnabled;
  items.push_back(Description("labelWebsiteDescription",
                              Message(message::kWebsiteDescription, settings.ProductName, log), 5790, 6105, 3180, 285));
  items.back().visible = settings.WebsiteEnabled;
}

}  // namespace

std::vector<PageItem> OptionPageItems(const SetupSettings& settings, SetupLog* log) {
  std::vector<PageItem> items;
  items.push_back(OptionLabel(0, "Server", 5070, 1785, 780, 345, true));
  items.push_back(OptionLabel(1, "Client", 5070, 3375, 975, 390, false));
  AddSupportAndWebsite(items, settings, log);
  items.push_back(Description("labelInstallationServer",
                              Message(message::kServerDescription, settings.ProductName, log), 5070, 2175, 4260, 795,
                              true));
  items.push_back(Description("LabelInstallationClient",
                              Message(message::kClientDescription, settings.ProductName, log), 5085, 3810, 4260, 795,
                              true));

  PageItem close;
  close.name = "lblEsci";
  close.left = 9435, close.top = 90, close.width = 195, close.height = 330;
  close.font = LabelFont::Close;
  close.text = "X";
  close.centred = true;
  close.handCursor = true;
  close.click = ClickAction::OptionClick;
  close.clickOption = 3;  // Exit
  items.push_back(close);

  for (const int index : {0, 1}) {
    PageItem area;
    area.name = "imageOptions(" + std::to_string(index) + ")";
    area.isLabel = false;
    area.option = index;  // acts as the option label with its index
    area.left = 3735, area.top = index == 0 ? 1800 : 3360, area.width = 1200, area.height = 1200;
    area.handCursor = true;
    area.click = ClickAction::OptionClick;
    area.clickOption = index;
    items.push_back(area);
  }
  return items;
}

std::vector<PageItem> ProgressPageItems(const SetupSettings& settings, SetupLog* log) {
  std::vector<PageItem> items;
  items.push_back(Description("Label1", Message(message::kInstallationInProgress, settings.ProductName, log), 3525,
                              2490, 5160, 345));
  items.back().font = LabelFont::Option;
  items.push_back(Description(kDescriptionLabel, "", 3525, 2985, 5160, 795, true));
  items.push_back(Description(kDownloadLabel, "", 3525, 4755, 5160, 360));
  AddSupportAndWebsite(items, settings, log);
  return items;
}

PageKey PageKeyOf(unsigned virtualKey, bool shift) {
  switch (virtualKey) {
    case 0x09: return shift ? PageKey::Previous : PageKey::Next;  // VK_TAB
    case 0x27:                                                    // VK_RIGHT
    case 0x28: return PageKey::Next;                              // VK_DOWN
    case 0x25:                                                    // VK_LEFT
    case 0x26: return PageKey::Previous;                          // VK_UP
    case 0x0D:                                                    // VK_RETURN
    case 0x20: return PageKey::Activate;                          // VK_SPACE
    default: return PageKey::None;
  }
}

KeyboardFocus::KeyboardFocus(const std::vector<PageItem>& items) {
  // The labels that a click reaches, in the order the pages list them; the click areas
  // beside Server and Client do what their labels do, and are left out.
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (items[i].isLabel && items[i].visible && items[i].click != ClickAction::None) order_.push_back(i);
  }
}

bool KeyboardFocus::Move(PageKey key) {
  if (order_.empty() || (key != PageKey::Next && key != PageKey::Previous)) return false;
  const int count = static_cast<int>(order_.size());
  if (focused_ < 0) {
    focused_ = key == PageKey::Next ? 0 : count - 1;
  } else {
    focused_ = (focused_ + (key == PageKey::Next ? 1 : count - 1)) % count;
  }
  return true;
}

std::string AccessibleName(const std::vector<PageItem>& items, const PageItem& item) {
  static constexpr const char* kDescriptionOf[] = {"labelInstallationServer", "LabelInstallationClient",
                                                   "labelSupportDescription", "labelWebsiteDescription"};
  if (item.option < 0 || item.option > 3) return item.text;
  for (const PageItem& description : items) {
    if (description.name == kDescriptionOf[item.option] && !description.text.empty()) {
      return item.text + ". " + description.text;
    }
  }
  return item.text;
}

bool OptionHighlight::Hover(int index) {
  if (highlighted_ == index + 1) return false;  // already so
  highlighted_ = static_cast<std::int16_t>(index + 1);
  return true;
}

std::string WebsiteCommandLine(const std::string& windowsFolder, const std::string& productName) {
  return Quoted(PathJoin(windowsFolder, "explorer.exe")) + " " + kWebsiteAddress + productName;
}

}  // namespace kelvano
