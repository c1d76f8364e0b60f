#pragma once

#include "system/message_box.h"
#include "system/setup_log.h"

namespace kelvano {

// MessageBoxW, owned by the given window (none: no owner). A box that Windows cannot
// show (MessageBoxW returns 0: on XP, when common controls 6 are not loaded) gets the
// unattended answer, and the log says so.
class Win32MessageBox : public MessageBoxSeam {
 public:
  explicit Win32MessageBox(void* ownerWindow = nullptr, SetupLog* log = nullptr) : owner_(ownerWindow), log_(log) {}
  MessageAnswer Show(const MessageBoxRequest& request) override;

 private:
  void* owner_;
  SetupLog* log_;
};

}  // namespace kelvano
