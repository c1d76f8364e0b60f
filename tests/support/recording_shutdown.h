#pragma once
// A shutdown seam that restarts nothing: it answers the token calls as Windows would
// and records every request to end the session.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "system/shutdown_seam.h"

namespace kelvano::test {

class RecordingShutdown : public ShutdownSeam {
 public:
  struct ExitRequest {
    std::uint32_t flags;
    std::uint32_t reason;
    bool privilegeEnabled;  // whether the shutdown privilege was enabled at that moment
    bool operator==(const ExitRequest&) const = default;
  };

  // Windows 95/98/Me: no tokens at all.
  void SetNoTokens() { noTokens_ = true; }
  // A token without the shutdown privilege (a user who may not restart).
  void SetPrivilegeHeld(bool held) { privilegeHeld_ = held; }

  long OpenOwnToken(std::uint32_t access, TokenHandle& token) override;
  long LookupPrivilege(const std::string& name, Luid& luid) override;
  long AdjustPrivilege(TokenHandle token, bool disableAll, const Luid& luid, std::uint32_t attributes) override;
  long CloseToken(TokenHandle token) override;
  long ExitWindowsEx(std::uint32_t flags, std::uint32_t reason) override;

  const std::vector<ExitRequest>& ExitRequests() const { return exitRequests_; }
  bool PrivilegeEnabled() const { return privilegeEnabled_; }
  // Token handles opened and not yet closed.
  std::size_t OpenTokenCount() const { return openTokens_.size(); }
  // Access rights of every token opened, in order.
  const std::vector<std::uint32_t>& TokenAccess() const { return tokenAccess_; }

 private:
  static constexpr Luid kShutdownLuid{19, 0};  // SE_SHUTDOWN_PRIVILEGE

  bool noTokens_ = false;
  bool privilegeHeld_ = true;
  bool privilegeEnabled_ = false;
  std::map<TokenHandle, std::uint32_t> openTokens_;  // with their access rights
  std::vector<std::uint32_t> tokenAccess_;
  std::vector<ExitRequest> exitRequests_;
  TokenHandle nextToken_ = 0x4000;
};

}  // namespace kelvano::test
