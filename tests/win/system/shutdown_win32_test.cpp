// The restart's token calls against Wine's real token, with ExitWindowsEx recorded
// instead of called: nothing is ever restarted.
#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "system/exit_windows.h"
#include "system/win32/win32_shutdown.h"

namespace kelvano::test {
namespace {

// The id of the token behind a handle; 0 when the handle stands for no token. Compared
// rather than the handle's value, which Windows may soon give to something else.
std::uint64_t TokenId(TokenHandle handle) {
  TOKEN_STATISTICS statistics = {};
  DWORD size = 0;
  if (!GetTokenInformation(reinterpret_cast<HANDLE>(handle), TokenStatistics, &statistics, sizeof(statistics), &size)) {
    return 0;
  }
  return (static_cast<std::uint64_t>(statistics.TokenId.HighPart) << 32) | statistics.TokenId.LowPart;
}

class ShutdownWithoutExit : public Win32Shutdown {
 public:
  long OpenOwnToken(std::uint32_t access, TokenHandle& token) override {
    const long status = Win32Shutdown::OpenOwnToken(access, token);
    if (status == 0) tokens.push_back({token, TokenId(token)});
    return status;
  }
  long ExitWindowsEx(std::uint32_t flags, std::uint32_t reason) override {
    requests.push_back({flags, reason});
    return 0;
  }
  std::vector<std::pair<TokenHandle, std::uint64_t>> tokens;  // with the token's id
  std::vector<std::pair<std::uint32_t, std::uint32_t>> requests;
};

// The shutdown privilege's attributes in this process's token; none when it lacks it.
std::optional<DWORD> ShutdownPrivilegeAttributes() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return std::nullopt;
  LUID luid = {};
  LookupPrivilegeValueW(nullptr, SE_SHUTDOWN_NAME, &luid);
  DWORD size = 0;
  GetTokenInformation(token, TokenPrivileges, nullptr, 0, &size);
  std::vector<BYTE> buffer(size);
  std::optional<DWORD> attributes;
  if (GetTokenInformation(token, TokenPrivileges, buffer.data(), size, &size)) {
    const auto* privileges = reinterpret_cast<const TOKEN_PRIVILEGES*>(buffer.data());
    for (DWORD i = 0; i < privileges->PrivilegeCount; ++i) {
      const LUID& entry = privileges->Privileges[i].Luid;
      if (entry.LowPart == luid.LowPart && entry.HighPart == luid.HighPart) {
        attributes = privileges->Privileges[i].Attributes;
      }
    }
  }
  CloseHandle(token);
  return attributes;
}

void DisableShutdownPrivilege() {
  Win32Shutdown seam;
  TokenHandle token = 0;
  Luid luid;
  ASSERT_EQ(seam.OpenOwnToken(shutdown::kAdjustPrivilegesAndQuery, token), 0);
  ASSERT_EQ(seam.LookupPrivilege(shutdown::kShutdownPrivilege, luid), 0);
  EXPECT_EQ(seam.AdjustPrivilege(token, false, luid, 0), 0);
  seam.CloseToken(token);
}

TEST(WineShutdown, RestartRequestEnablesTheRealPrivilegeAndClosesTheToken) {
  ASSERT_TRUE(ShutdownPrivilegeAttributes().has_value()) << "Wine's token holds the shutdown privilege";
  DisableShutdownPrivilege();
  ASSERT_EQ(*ShutdownPrivilegeAttributes() & SE_PRIVILEGE_ENABLED, 0u);

  ShutdownWithoutExit seam;
  ExitWindows exitWindows(seam);
  exitWindows.Exit(shutdown::kReboot);

  EXPECT_NE(*ShutdownPrivilegeAttributes() & SE_PRIVILEGE_ENABLED, 0u);
  ASSERT_EQ(seam.tokens.size(), 1u);
  ASSERT_NE(seam.tokens[0].second, 0u);
  EXPECT_NE(TokenId(seam.tokens[0].first), seam.tokens[0].second) << "the token handle is closed";
  EXPECT_EQ(seam.requests, (std::vector<std::pair<std::uint32_t, std::uint32_t>>{{6u, 0u}}));
}

}  // namespace
}  // namespace kelvano::test
