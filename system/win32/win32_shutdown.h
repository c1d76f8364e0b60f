#pragma once
// The shutdown seam over the real token functions and ExitWindowsEx. Tests derive from
// it to keep the token calls real while recording ExitWindowsEx instead of restarting.

#include "system/shutdown_seam.h"

namespace kelvano {

class Win32Shutdown : public ShutdownSeam {
 public:
  long OpenOwnToken(std::uint32_t access, TokenHandle& token) override;
  long LookupPrivilege(const std::string& name, Luid& luid) override;
  long AdjustPrivilege(TokenHandle token, bool disableAll, const Luid& luid, std::uint32_t attributes) override;
  long CloseToken(TokenHandle token) override;
  long ExitWindowsEx(std::uint32_t flags, std::uint32_t reason) override;
};

}  // namespace kelvano
