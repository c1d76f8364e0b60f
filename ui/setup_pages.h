#pragma once
// The two pages of the setup's window as data: every control at its place (in twips, 15
// to a pixel), its font and text, what a click on it does, and the hover highlighting
// of the option labels. The window paints and hit-tests them; nothing here draws.

#include <cstdint>
#include <string>
#include <vector>

#include "startup/settings.h"
#include "system/setup_log.h"

namespace kelvano {

inline constexpr int kTwipsPerPixel = 15;  // at 96 dots per inch
inline constexpr int kTwipsPerInch = 1440;
inline constexpr int kDefaultDpi = 96;
inline constexpr int kPageWidthTwips = 9750;   // 650 pixels at 96 DPI
inline constexpr int kPageHeightTwips = 6750;  // 450 pixels at 96 DPI

// Twips in pixels of a screen of dpi dots per inch: twips x DPI / 1440 (15 to a pixel at
// 96 DPI, where nothing changes).
inline int TwipsToPixels(int twips, int dpi) { return twips * dpi / kTwipsPerInch; }

// The product's web site; the product name is appended to it.
inline constexpr char kWebsiteAddress[] = "https://www.kelvano.com/";

struct PixelRect {
  int left = 0, top = 0, width = 0, height = 0;
  bool Contains(int x, int y) const { return x >= left && x < left + width && y >= top && y < top + height; }
  bool operator==(const PixelRect&) const = default;
};

enum class LabelFont {
  Option,       // Calibri bold 14.25 pt
  Description,  // Calibri 9.75 pt
  Close,        // Courier New bold 14.25 pt
};

enum class ClickAction { None, OptionClick, OpenWebsite };

struct PageItem {
  std::string name;                              // the control's name
  bool isLabel = true;                           // false: a transparent click area
  int option = -1;                               // the option label's index (0-5) that hover highlights; -1 for none
  int left = 0, top = 0, width = 0, height = 0;  // twips
  LabelFont font = LabelFont::Description;
  std::string text;
  bool wordWrap = false;
  bool sizedToText = false;  // the label is as wide and high as its text, from its top left
  bool centred = false;
  bool handCursor = false;
  bool visible = true;
  ClickAction click = ClickAction::None;
  int clickOption = -1;  // the option that an OptionClick raises

  PixelRect Pixels(int dpi = kDefaultDpi) const {
    return {TwipsToPixels(left, dpi), TwipsToPixels(top, dpi), TwipsToPixels(width, dpi), TwipsToPixels(height, dpi)};
  }
};

// The option page: Server, Client, Quick Support and Web with their descriptions, the
// click areas left of Server and Client, and the close control. A text that cannot be
// made stays empty, and the log says so.
std::vector<PageItem> OptionPageItems(const SetupSettings& settings, SetupLog* log = nullptr);
// The progress page: heading, step description, download line, Quick Support and Web.
std::vector<PageItem> ProgressPageItems(const SetupSettings& settings, SetupLog* log = nullptr);

// Names of the progress page's two texts, which the logic sets.
inline constexpr char kDescriptionLabel[] = "labelInstallationDescription";
inline constexpr char kDownloadLabel[] = "labelDownloaded";

// What the keyboard does on a page. Tab, Right and Down move the focus to the next
// clickable item, Shift+Tab, Left and Up to the one before, wrapping at the ends; Enter
// and Space do what a click on the focused item does.
enum class PageKey { None, Next, Previous, Activate };
PageKey PageKeyOf(unsigned virtualKey, bool shift);

// The keyboard focus of a page: its clickable labels in reading order (Server, Client,
// Quick Support, Web, the close control; Quick Support and Web on the progress page),
// hidden ones left out. Nothing has the focus until a key moves it, as Windows shows
// focus only once the keyboard is used.
class KeyboardFocus {
 public:
  explicit KeyboardFocus(const std::vector<PageItem>& items);
  // True when the focus changed.
  bool Move(PageKey key);
  // The index of the focused item in the page's items, or -1 while none is.
  int Focused() const { return focused_ < 0 ? -1 : static_cast<int>(order_[focused_]); }
  const std::vector<std::size_t>& Order() const { return order_; }

 private:
  std::vector<std::size_t> order_;
  int focused_ = -1;  // into order_
};

// What a screen reader says for a clickable item: its title and its description
// together ("Server. Usare questa opzione..."); the close control is its "X".
std::string AccessibleName(const std::vector<PageItem>& items, const PageItem& item);

// The highlighting of a page's option labels: at most one is black, the others white.
class OptionHighlight {
 public:
  // The mouse over the option label (or click area) of this index; -1: over the page's
  // background. True when a label changed colour.
  bool Hover(int index);
  bool IsBlack(int option) const { return option >= 0 && option <= 5 && option == highlighted_ - 1; }
  // The index of the highlighted label plus 1, or 0 when none is.
  std::int16_t HighlightedOption() const { return highlighted_; }

 private:
  std::int16_t highlighted_ = 0;
};

// The command that opens the product's web site, minimised with focus, by full path
// from the Windows folder.
std::string WebsiteCommandLine(const std::string& windowsFolder, const std::string& productName);

}  // namespace kelvano
