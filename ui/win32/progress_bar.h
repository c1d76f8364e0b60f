#pragma once
// The progress page's bar, a common control under the download line, and the same
// progress on the taskbar button where Windows has one (7 and later; looked up at run
// time). A moving bar needs Common Controls 6 (XP and later); without them it stands
// full, which still says that the setup is at work.

#include <windows.h>

#include "ui/run_rules.h"

struct ITaskbarList3;

namespace kelvano {

class ProgressBar {
 public:
  // A hidden bar in the window's client area; Place puts it.
  explicit ProgressBar(HWND window);
  ~ProgressBar();
  ProgressBar(const ProgressBar&) = delete;
  ProgressBar& operator=(const ProgressBar&) = delete;

  void Show(const RunRules::ProgressBar& state);
  void Place(int left, int top, int width, int height);
  // The bar's window while it shows: the page paints around it.
  HWND VisibleWindow() const { return bar_ != nullptr && shown_.visible ? bar_ : nullptr; }

 private:
  // True when the bar now moves on its own.
  bool SetMoving(bool moving);

  HWND window_;
  HWND bar_ = nullptr;
  ITaskbarList3* taskbar_ = nullptr;
  RunRules::ProgressBar shown_;
  bool first_ = true;
};

}  // namespace kelvano
