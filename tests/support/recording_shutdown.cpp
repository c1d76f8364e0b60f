#include "tests/support/recording_shutdown.h"

namespace kelvano::test {
namespace {

constexpr std::uint32_t kAdjustPrivilegesRight = 0x20;  // TOKEN_ADJUST_PRIVILEGES

}  // namespace

long RecordingShutdown::OpenOwnToken(std::uint32_t access, TokenHandle& token) {
  if (noTokens_) return windows_error::kCallNotImplemented;
  token = nextToken_++;
  openTokens_[token] = access;
  tokenAccess_.push_back(access);
  return 0;
}

long RecordingShutdown::LookupPrivilege(const std::string& name, Luid& luid) {
  if (noTokens_) return windows_error::kCallNotImplemented;
  if (name != shutdown::kShutdownPrivilege) return windows_error::kNoSuchPrivilege;
  luid = kShutdownLuid;
  return 0;
}

long RecordingShutdown::AdjustPrivilege(TokenHandle token, bool disableAll, const Luid& luid,
                                        std::uint32_t attributes) {
  const auto opened = openTokens_.find(token);
  if (opened == openTokens_.end()) return windows_error::kInvalidHandle;
  if ((opened->second & kAdjustPrivilegesRight) == 0) return windows_error::kAccessDenied;
  if (disableAll) {
    privilegeEnabled_ = false;
    return 0;
  }
  if (luid != kShutdownLuid) return windows_error::kNotAllAssigned;
  if (!privilegeHeld_) return windows_error::kNotAllAssigned;
  privilegeEnabled_ = (attributes & shutdown::kPrivilegeEnabled) != 0;
  return 0;
}

long RecordingShutdown::CloseToken(TokenHandle token) {
  return openTokens_.erase(token) == 1 ? 0 : windows_error::kInvalidHandle;
}

long RecordingShutdown::ExitWindowsEx(std::uint32_t flags, std::uint32_t reason) {
  exitRequests_.push_back(ExitRequest{flags, reason, privilegeEnabled_});
  // Without the privilege Windows refuses anything but a logoff.
  const bool needsPrivilege = (flags & (shutdown::kShutdown | shutdown::kReboot)) != 0;
  return needsPrivilege && !privilegeEnabled_ && !noTokens_ ? windows_error::kPrivilegeNotHeld : 0;
}

}  // namespace kelvano::test
