#pragma once
// The thinnest layer over the token calls and ExitWindowsEx that a restart needs: each
// mirrors one Windows function and returns its Windows error code (0 on success).

#include <cstdint>
#include <string>

#include "system/windows_errors.h"

namespace kelvano {

using TokenHandle = std::uintptr_t;

struct Luid {
  std::uint32_t lowPart = 0;
  std::int32_t highPart = 0;
  bool operator==(const Luid&) const = default;
};

namespace shutdown {
inline constexpr std::uint32_t kAdjustPrivilegesAndQuery = 0x28;  // TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY
inline constexpr std::uint32_t kPrivilegeEnabled = 2;             // SE_PRIVILEGE_ENABLED
inline constexpr char kShutdownPrivilege[] = "SeShutdownPrivilege";

// ExitWindowsEx flags.
inline constexpr std::uint32_t kLogoff = 0;
inline constexpr std::uint32_t kShutdown = 1;
inline constexpr std::uint32_t kReboot = 2;
inline constexpr std::uint32_t kForce = 4;
}  // namespace shutdown

class ShutdownSeam {
 public:
  virtual ~ShutdownSeam() = default;

  // OpenProcessToken of the current process.
  virtual long OpenOwnToken(std::uint32_t access, TokenHandle& token) = 0;
  // LookupPrivilegeValue on the local system.
  virtual long LookupPrivilege(const std::string& name, Luid& luid) = 0;
  // AdjustTokenPrivileges with a record of one privilege; kNotAllAssigned when the call
  // succeeded but the token does not hold the privilege.
  virtual long AdjustPrivilege(TokenHandle token, bool disableAll, const Luid& luid, std::uint32_t attributes) = 0;
  // CloseHandle of a token.
  virtual long CloseToken(TokenHandle token) = 0;
  // ExitWindowsEx.
  virtual long ExitWindowsEx(std::uint32_t flags, std::uint32_t reason) = 0;
};

}  // namespace kelvano
