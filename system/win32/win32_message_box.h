#pragma once

#include "system/message_box.h"

namespace kelvano {

// MessageBoxW, owned by the given window (none: no owner).
class Win32MessageBox : public MessageBoxSeam {
 public:
  explicit Win32MessageBox(void* ownerWindow = nullptr) : owner_(ownerWindow) {}
  MessageAnswer Show(const MessageBoxRequest& request) override;

 private:
  void* owner_;
};

}  // namespace kelvano
