#include "system/exit_windows.h"

#include <gtest/gtest.h>

#include "tests/support/recording_shutdown.h"

namespace kelvano::test {
namespace {

using Request = RecordingShutdown::ExitRequest;

TEST(ExitWindowsRequest, EnablesTheShutdownPrivilegeThenForcesTheRequestedEnd) {
  RecordingShutdown shutdown;
  ExitWindows exitWindows(shutdown);
  exitWindows.Exit(shutdown::kReboot);
  EXPECT_EQ(shutdown.ExitRequests(), (std::vector<Request>{{6, 0, true}}));
  EXPECT_EQ(shutdown.TokenAccess(), std::vector<std::uint32_t>{0x28});
  EXPECT_EQ(shutdown.OpenTokenCount(), 0u) << "the token handle is closed";
}

TEST(ExitWindowsRequest, ForceIsAddedToAnyCommand) {
  RecordingShutdown shutdown;
  ExitWindows exitWindows(shutdown);
  exitWindows.Exit(shutdown::kLogoff);
  exitWindows.Exit(shutdown::kShutdown | shutdown::kForce);
  EXPECT_EQ(shutdown.ExitRequests(), (std::vector<Request>{{4, 0, true}, {5, 0, true}}));
}

TEST(ExitWindowsRequest, IsMadeEvenWhenThePrivilegeCannotBeEnabled) {
  RecordingShutdown withoutPrivilege;
  withoutPrivilege.SetPrivilegeHeld(false);
  ExitWindows(withoutPrivilege).Exit(shutdown::kReboot);
  EXPECT_EQ(withoutPrivilege.ExitRequests(), (std::vector<Request>{{6, 0, false}}));
  EXPECT_EQ(withoutPrivilege.OpenTokenCount(), 0u);

  RecordingShutdown noTokens;  // Windows 98: no token, and none needed
  noTokens.SetNoTokens();
  ExitWindows(noTokens).Exit(shutdown::kReboot);
  EXPECT_EQ(noTokens.ExitRequests(), (std::vector<Request>{{6, 0, false}}));
  EXPECT_TRUE(noTokens.TokenAccess().empty());
}

}  // namespace
}  // namespace kelvano::test
