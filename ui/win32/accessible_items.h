#pragma once
// What screen readers find on the painted pages: a push button over each clickable
// label, named by its title and description, and a text for the download line whose
// changes are announced. They paint nothing and let the mouse through, so the window
// paints, hit-tests and keeps the keyboard focus as before; a focus move of the page is
// reported as the focus of its button.

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "ui/setup_pages.h"

namespace kelvano {

class AccessibleItems {
 public:
  // One button per item of the keyboard's order, and the text for the item named
  // liveLabel (none: nullptr); hidden until Show.
  AccessibleItems(HWND window, const std::vector<PageItem>& items, const std::vector<std::size_t>& focusOrder,
                  const char* liveLabel);
  ~AccessibleItems();
  AccessibleItems(const AccessibleItems&) = delete;
  AccessibleItems& operator=(const AccessibleItems&) = delete;

  // Where the item at this index of the page's items lies now.
  void Place(std::size_t index, const PixelRect& rect);
  void Show(bool visible);
  // The page's keyboard focus moved to this item.
  void Focus(std::size_t index);
  // The live label's text; a change is announced, the same text again is not.
  void SetLiveText(const std::string& text);

 private:
  std::map<std::size_t, HWND> windows_;
  HWND live_ = nullptr;
  std::string liveText_;
};

}  // namespace kelvano
