#include "ui/win32/progress_bar.h"

#include <commctrl.h>
#include <shobjidl.h>

namespace kelvano {
namespace {

constexpr int kRange = 1000;  // thousandths, as the run rules count

}  // namespace

ProgressBar::ProgressBar(HWND window) : window_(window) {
  bar_ = CreateWindowExW(0, PROGRESS_CLASSW, nullptr, WS_CHILD | PBS_SMOOTH, 0, 0, 0, 0, window, nullptr,
                         GetModuleHandleW(nullptr), nullptr);
  if (bar_ != nullptr) SendMessageW(bar_, PBM_SETRANGE32, 0, kRange);
  // Absent before Windows 7: then there is no taskbar progress, and nothing else changes.
  void* list = nullptr;
  if (SUCCEEDED(CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskbarList3, &list))) {
    taskbar_ = static_cast<ITaskbarList3*>(list);
    if (FAILED(taskbar_->HrInit())) {
      taskbar_->Release();
      taskbar_ = nullptr;
    }
  }
}

ProgressBar::~ProgressBar() {
  if (taskbar_ != nullptr) taskbar_->Release();
  if (bar_ != nullptr) DestroyWindow(bar_);
}

void ProgressBar::Place(int left, int top, int width, int height) {
  if (bar_ != nullptr) MoveWindow(bar_, left, top, width, height, TRUE);
}

void ProgressBar::Show(const RunRules::ProgressBar& state) {
  if (!first_ && state == shown_) return;
  first_ = false;
  shown_ = state;
  if (bar_ != nullptr) {
    // A bar that cannot move stands full: the setup is still at work.
    const bool moving = state.visible && state.moving && SetMoving(true);
    if (!moving) {
      SetMoving(false);
      SendMessageW(bar_, PBM_SETPOS, state.moving ? kRange : state.thousandths, 0);
    }
    ShowWindow(bar_, state.visible ? SW_SHOWNA : SW_HIDE);
  }
  if (taskbar_ != nullptr) {
    taskbar_->SetProgressState(window_, !state.visible ? TBPF_NOPROGRESS
                                        : state.moving ? TBPF_INDETERMINATE
                                                       : TBPF_NORMAL);
    if (state.visible && !state.moving) taskbar_->SetProgressValue(window_, state.thousandths, kRange);
  }
}

bool ProgressBar::SetMoving(bool moving) {
  const LONG_PTR style = GetWindowLongPtrW(bar_, GWL_STYLE);
  const LONG_PTR wanted = moving ? style | PBS_MARQUEE : style & ~static_cast<LONG_PTR>(PBS_MARQUEE);
  if (wanted != style) SetWindowLongPtrW(bar_, GWL_STYLE, wanted);  // first: a bar without it ignores the message
  // Common Controls before version 6 (Windows 2000, a program without their manifest)
  // know no such message and answer 0.
  const bool set = SendMessageW(bar_, PBM_SETMARQUEE, moving ? TRUE : FALSE, 30) != 0;
  if (moving && !set) SetWindowLongPtrW(bar_, GWL_STYLE, style & ~static_cast<LONG_PTR>(PBS_MARQUEE));
  return set;
}

}  // namespace kelvano
