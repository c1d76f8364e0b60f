#pragma once
// The shell seam over ShellExecuteW, owned by the main window once it exists.

#include "system/shell_seam.h"

namespace kelvano {

class Win32Shell : public ShellSeam {
 public:
  void SetOwnerWindow(void* window) { owner_ = window; }
  long OpenDocument(const std::string& verb, const std::string& file, const std::string& parameters,
                    const std::string& folder, int showCommand) override;

 private:
  void* owner_ = nullptr;
};

}  // namespace kelvano
