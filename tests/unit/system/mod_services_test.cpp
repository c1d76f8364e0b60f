#include "system/mod_services.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/support/memory_services.h"

namespace kelvano::test {
namespace {

using ::testing::_;
using ::testing::DoAll;
using ::testing::InSequence;
using ::testing::Return;
using ::testing::SetArgReferee;

class ServiceRules : public ::testing::Test {
 protected:
  void TearDown() override { EXPECT_EQ(services_.OpenHandleCount(), 0u) << "a service handle was left open"; }

  ServiceState StatusOf(const std::string& name) { return ModServices(services_).GetServiceStatus(name, ""); }
  bool Start(const std::string& name) { return ModServices(services_).StartServiceByName(name, ""); }

  MemoryServices services_;
};

TEST_F(ServiceRules, WindowsStatesMapToTheSetupsCodes) {
  const struct {
    std::uint32_t windows;
    ServiceState expected;
  } table[] = {
      {service::kStopped, ServiceState::Stopped},
      {service::kStartPending, ServiceState::Starting},
      {service::kStopPending, ServiceState::Stopping},
      {service::kRunning, ServiceState::Running},
      {service::kContinuePending, ServiceState::None},
      {service::kPausePending, ServiceState::Pausing},
      {service::kPaused, ServiceState::Paused},
      {0, ServiceState::None},
      {8, ServiceState::None},
  };
  for (const auto& row : table) {
    services_.AddService("MSSQL$KELVANO", {.state = row.windows});
    EXPECT_EQ(StatusOf("MSSQL$KELVANO"), row.expected) << "Windows state " << row.windows;
  }
  EXPECT_EQ(static_cast<int>(ServiceState::Starting), 4) << "callers compare the numeric codes";
}

TEST_F(ServiceRules, NameWithASpaceIsRefusedWithoutAskingTheManager) {
  services_.AddService("MSSQL$MY SERVER", {.state = service::kStopped});
  EXPECT_EQ(StatusOf("MSSQL$MY SERVER"), ServiceState::None);
  EXPECT_FALSE(Start("MSSQL$MY SERVER"));
  EXPECT_EQ(services_.CallCount(), 0u);
  EXPECT_EQ(services_.State("MSSQL$MY SERVER"), service::kStopped);
}

TEST_F(ServiceRules, MissingServiceGivesNoStateAndCannotStart) {
  EXPECT_EQ(StatusOf("MSSQL$NONE"), ServiceState::None);
  EXPECT_FALSE(Start("MSSQL$NONE"));
}

TEST_F(ServiceRules, StartOfAStoppedServiceIsAcceptedWithoutWaiting) {
  services_.AddService("MSSQL$KELVANO", {.state = service::kStopped});
  EXPECT_TRUE(Start("MSSQL$KELVANO"));
  EXPECT_EQ(StatusOf("MSSQL$KELVANO"), ServiceState::Starting);
  EXPECT_EQ(services_.StartRequests(), std::vector<std::string>{"MSSQL$KELVANO"});
}

TEST_F(ServiceRules, StartIsRefusedForARunningServiceOrWhenWindowsRefusesIt) {
  services_.AddService("Running", {.state = service::kRunning});
  services_.AddService("Starting", {.state = service::kStartPending});
  services_.AddService("LogonFails", {.state = service::kStopped, .startResult = 1069});
  services_.AddService("Disabled", {.state = service::kStopped, .startResult = windows_error::kServiceDisabled});
  EXPECT_FALSE(Start("Running"));
  EXPECT_FALSE(Start("Starting"));
  EXPECT_FALSE(Start("LogonFails"));
  EXPECT_FALSE(Start("Disabled"));
  EXPECT_EQ(StatusOf("LogonFails"), ServiceState::Stopped);
  EXPECT_EQ(services_.StartRequests().size(), 4u) << "each start reached Windows";
}

TEST_F(ServiceRules, UnreadableStatusGivesNoState) {
  services_.AddService("Broken", {.state = service::kRunning, .queryResult = windows_error::kAccessDenied});
  EXPECT_EQ(StatusOf("Broken"), ServiceState::None);
}

TEST_F(ServiceRules, WithoutAdministrativeRightsEveryQueryIsZeroAndEveryStartFails) {
  services_.AddService("MSSQL$KELVANO", {.state = service::kRunning});
  services_.AddService("Stopped", {.state = service::kStopped});
  services_.SetAdministrator(false);
  EXPECT_EQ(StatusOf("MSSQL$KELVANO"), ServiceState::None);
  EXPECT_FALSE(Start("Stopped"));
  EXPECT_TRUE(services_.StartRequests().empty());
}

class MockServiceSeam : public ServiceControlSeam {
 public:
  MOCK_METHOD(long, OpenManager, (const std::string&, const std::string&, std::uint32_t, ServiceHandle&), (override));
  MOCK_METHOD(long, OpenNamedService, (ServiceHandle, const std::string&, std::uint32_t, ServiceHandle&), (override));
  MOCK_METHOD(long, QueryStatus, (ServiceHandle, std::uint32_t&), (override));
  MOCK_METHOD(long, Start, (ServiceHandle), (override));
  MOCK_METHOD(long, Close, (ServiceHandle), (override));
};

TEST(ServiceCalls, AskForAllAccessAndCloseTheServiceBeforeTheManager) {
  ::testing::StrictMock<MockServiceSeam> seam;
  {
    InSequence order;
    EXPECT_CALL(seam, OpenManager("HOST", "ServicesActive", 0xF003Fu, _))
        .WillOnce(DoAll(SetArgReferee<3>(ServiceHandle{11}), Return(0)));
    EXPECT_CALL(seam, OpenNamedService(ServiceHandle{11}, "MSSQL$KELVANO", 0xF01FFu, _))
        .WillOnce(DoAll(SetArgReferee<3>(ServiceHandle{22}), Return(0)));
    EXPECT_CALL(seam, Start(ServiceHandle{22})).WillOnce(Return(0));
    EXPECT_CALL(seam, Close(ServiceHandle{22})).WillOnce(Return(0));
    EXPECT_CALL(seam, Close(ServiceHandle{11})).WillOnce(Return(0));
  }
  EXPECT_TRUE(ModServices(seam).StartServiceByName("MSSQL$KELVANO", "HOST"));
}

TEST(ServiceCalls, FailedServiceOpenClosesTheManagerOnly) {
  ::testing::StrictMock<MockServiceSeam> seam;
  EXPECT_CALL(seam, OpenManager(_, _, _, _)).WillOnce(DoAll(SetArgReferee<3>(ServiceHandle{11}), Return(0)));
  EXPECT_CALL(seam, OpenNamedService(_, _, _, _)).WillOnce(Return(windows_error::kServiceDoesNotExist));
  EXPECT_CALL(seam, Close(ServiceHandle{11})).WillOnce(Return(0));
  EXPECT_EQ(ModServices(seam).GetServiceStatus("Missing", ""), ServiceState::None);
}

}  // namespace
}  // namespace kelvano::test
