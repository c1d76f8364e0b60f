#include "ui/win32/accessible_items.h"

#include "system/win32/wide_text.h"

namespace kelvano {
namespace {

constexpr wchar_t kOriginalProcedure[] = L"KelvanoOriginalProcedure";
constexpr DWORD kLiveRegionChanged = 0x8019;  // EVENT_OBJECT_LIVEREGIONCHANGED, of Windows 8 and later

// The control's own procedure for everything but what would show it or catch the mouse.
LRESULT CALLBACK Unseen(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const auto original = reinterpret_cast<WNDPROC>(GetPropW(window, kOriginalProcedure));
  switch (message) {
    case WM_NCHITTEST: return HTTRANSPARENT;  // the window below, the page, gets the mouse
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      BeginPaint(window, &paint);
      EndPaint(window, &paint);
      return 0;
    }
    case WM_SETTEXT: return DefWindowProcW(window, message, wParam, lParam);  // controls paint their text at once
    case WM_NCDESTROY: RemovePropW(window, kOriginalProcedure); break;
    default: break;
  }
  return original != nullptr ? CallWindowProcW(original, window, message, wParam, lParam)
                             : DefWindowProcW(window, message, wParam, lParam);
}

HWND MakeUnseen(HWND parent, const wchar_t* className, DWORD style, const std::string& name) {
  const HWND control = CreateWindowExW(0, className, Widen(name).c_str(), WS_CHILD | style, 0, 0, 0, 0, parent, nullptr,
                                       GetModuleHandleW(nullptr), nullptr);
  if (control == nullptr) return nullptr;
  SetPropW(control, kOriginalProcedure,
           reinterpret_cast<HANDLE>(SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Unseen))));
  return control;
}

}  // namespace

AccessibleItems::AccessibleItems(HWND window, const std::vector<PageItem>& items,
                                 const std::vector<std::size_t>& focusOrder, const char* liveLabel) {
  for (const std::size_t index : focusOrder) {
    if (const HWND button = MakeUnseen(window, L"BUTTON", BS_PUSHBUTTON, AccessibleName(items, items[index]))) {
      windows_[index] = button;
    }
  }
  for (std::size_t index = 0; liveLabel != nullptr && index < items.size(); ++index) {
    if (items[index].name != liveLabel) continue;
    live_ = MakeUnseen(window, L"STATIC", SS_LEFT, items[index].text);
    liveText_ = items[index].text;
    if (live_ != nullptr) windows_[index] = live_;
  }
}

AccessibleItems::~AccessibleItems() {
  for (const auto& [index, window] : windows_) DestroyWindow(window);
}

void AccessibleItems::Place(std::size_t index, const PixelRect& rect) {
  const auto found = windows_.find(index);
  if (found != windows_.end()) {
    SetWindowPos(found->second, HWND_TOP, rect.left, rect.top, rect.width, rect.height, SWP_NOACTIVATE);
  }
}

void AccessibleItems::Show(bool visible) {
  for (const auto& [index, window] : windows_) ShowWindow(window, visible ? SW_SHOWNA : SW_HIDE);
}

void AccessibleItems::Focus(std::size_t index) {
  const auto found = windows_.find(index);
  if (found != windows_.end()) NotifyWinEvent(EVENT_OBJECT_FOCUS, found->second, OBJID_CLIENT, CHILDID_SELF);
}

void AccessibleItems::SetLiveText(const std::string& text) {
  if (live_ == nullptr || text == liveText_) return;
  liveText_ = text;
  SetWindowTextW(live_, Widen(text).c_str());
  NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, live_, OBJID_CLIENT, CHILDID_SELF);
  NotifyWinEvent(kLiveRegionChanged, live_, OBJID_CLIENT, CHILDID_SELF);
}

}  // namespace kelvano
