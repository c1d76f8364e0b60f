#include "sequence/restart_system.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/support/recording_shutdown.h"

namespace kelvano::test {
namespace {

using ::testing::Invoke;
using ::testing::StrictMock;

class MockRunState : public RunState {
 public:
  MOCK_METHOD(void, ProcessPendingEvents, (), (override));
  MOCK_METHOD(bool, InstallationRunning, (), (const, override));
  MOCK_METHOD(void, SetInstallationRunning, (bool), (override));
  MOCK_METHOD(void, SetInstallationProgress, (bool, const std::string&), (override));
  MOCK_METHOD(void, SetDownloadProgress, (const std::string&, std::uint64_t, std::uint64_t), (override));
  MOCK_METHOD(void, CloseMainWindow, (), (override));
  MOCK_METHOD(MessageAnswer, ShowMessage, (const MessageBoxRequest&), (override));
  MOCK_METHOD(void, SetBusyPointer, (bool), (override));
};

TEST(RestartSystem, ClearsTheRunFlagBeforeOneForcedRebootRequest) {
  StrictMock<MockRunState> runState;
  RecordingShutdown shutdown;
  EXPECT_CALL(runState, SetInstallationRunning(false)).WillOnce(Invoke([&](bool) {
    EXPECT_TRUE(shutdown.ExitRequests().empty()) << "the flag is cleared before Windows closes the window";
  }));
  RestartSystem(runState, shutdown);
  EXPECT_EQ(shutdown.ExitRequests(), (std::vector<RecordingShutdown::ExitRequest>{{6, 0, true}}));
}

TEST(RestartSystem, ReturnsNormallyWhenWindowsRefusesTheRestart) {
  StrictMock<MockRunState> runState;
  RecordingShutdown shutdown;
  shutdown.SetPrivilegeHeld(false);
  EXPECT_CALL(runState, SetInstallationRunning(false));
  RestartSystem(runState, shutdown);
  ASSERT_EQ(shutdown.ExitRequests().size(), 1u);
  EXPECT_EQ(shutdown.ExitRequests()[0].flags, 6u);
  EXPECT_EQ(shutdown.OpenTokenCount(), 0u);
}

}  // namespace
}  // namespace kelvano::test
