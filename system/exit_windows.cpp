#include "system/exit_windows.h"

#include "system/seam_handle.h"

namespace kelvano {

void ExitWindows::EnableShutdownPrivilege() {
  SeamHandle<ShutdownSeam, TokenHandle, &ShutdownSeam::CloseToken> token(seam_);
  // Windows 95/98/Me have no tokens: there a restart needs no privilege.
  if (seam_.OpenOwnToken(shutdown::kAdjustPrivilegesAndQuery, token.Receive()) != 0) return;
  Luid shutdownPrivilege;
  if (seam_.LookupPrivilege(shutdown::kShutdownPrivilege, shutdownPrivilege) == 0) {
    // A refusal shows in ExitWindowsEx, which fails without the privilege.
    seam_.AdjustPrivilege(token.Get(), false, shutdownPrivilege, shutdown::kPrivilegeEnabled);
  }
}

void ExitWindows::Exit(std::uint32_t l_Command) {
  EnableShutdownPrivilege();
  seam_.ExitWindowsEx(l_Command | shutdown::kForce, 0);
}

}  // namespace kelvano
