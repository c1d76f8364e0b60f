#pragma once
// Ends the Windows session (a restart, for the setup) with the shutdown privilege that
// a process must enable in its own token first.

#include <cstdint>

#include "system/shutdown_seam.h"

// winuser.h defines ExitWindows as a macro, which would rewrite this class's name.
#undef ExitWindows

namespace kelvano {

class ExitWindows {
 public:
  explicit ExitWindows(ShutdownSeam& seam) : seam_(seam) {}

  // Asks Windows to end the session as l_Command (ExitWindowsEx flags) says, closing
  // applications without asking them. Returns at once; nothing is reported.
  void Exit(std::uint32_t l_Command);

 private:
  void EnableShutdownPrivilege();

  ShutdownSeam& seam_;
};

}  // namespace kelvano
