// What the machine is found to have: Windows versions passed or refused (with the XP
// Service Pack 3 offer), the .NET thresholds, and the SQL Server instance's service.
#include "packages/prerequisite_detection.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "startup/format_text.h"
#include "startup/messages.h"
#include "system/setup_error.h"
#include "tests/support/recording_run_state.h"
#include "tests/support/staged_kit.h"
#include "tests/support/staged_machine.h"

namespace kelvano::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr char kNet48[] = "SOFTWARE\\Microsoft\\NET Framework Setup\\NDP\\v4\\Full";
constexpr char kNet35[] = "SOFTWARE\\Microsoft\\NET Framework Setup\\NDP\\v3.5";

class Detection : public ::testing::Test {
 protected:
  PrerequisiteDetection Detect() { return PrerequisiteDetection(kit.Context(), machine.Seams(), window); }
  bool CheckOn(OsVersion version) {
    machine.system.Staged().version = version;
    return Detect().CheckOperatingSystem();
  }
  // A value of a type that the registry rules do not read.
  void StageMultiString(const char* key, const char* name) {
    RegistryHandle handle = 0;
    std::uint32_t disposition = 0;
    ASSERT_EQ(machine.registry.CreateKey(registry::kLocalMachine, key, registry::kWrite, handle, disposition), 0);
    const std::uint8_t data[] = {'a', 0, 0, 0, 0, 0};
    machine.registry.SetValue(handle, name, registry::kMultiString, data, sizeof data);
    machine.registry.CloseKey(handle);
  }
  std::string Text(int message) { return FormatText(LoadMessage(message)); }

  StagedMachine machine;
  StagedKit kit{machine.registry, "PRODUCT=Kelvano\r\nSERVER=SQLEXPRESS\r\n"};
  RecordingRunState window;
};

TEST_F(Detection, WindowsVersionsThatPassAskNothing) {
  EXPECT_TRUE(CheckOn({os::kPlatformNt, 5, 0, 2195, ""})) << "Windows 2000";
  EXPECT_TRUE(CheckOn({os::kPlatformNt, 5, 2, 3790, ""})) << "Server 2003 needs no service pack test";
  EXPECT_TRUE(CheckOn({os::kPlatformNt, 6, 2, 9200, ""})) << "Windows 10 without a manifest";
  EXPECT_TRUE(CheckOn({3, 1, 0, 0, ""})) << "a platform the setup does not know";
  EXPECT_TRUE(CheckOn({os::kPlatformNt, 5, 1, 2600, std::string("SERVICE pack 3\0\0\0", 17)}))
      << "XP with Service Pack 3, in any case, NULs after it";
  EXPECT_THAT(window.Messages(), IsEmpty());
}

TEST_F(Detection, OlderWindowsAndUnreadableVersionsAreRefused) {
  EXPECT_FALSE(CheckOn({os::kPlatformNt, 4, 0, 1381, "Service Pack 6"})) << "NT 4.0";
  EXPECT_FALSE(CheckOn({os::kPlatformWindows, 4, 10, 2222, ""})) << "Windows 98";
  machine.system.Staged().versionFails = true;
  EXPECT_FALSE(Detect().CheckOperatingSystem());
  ASSERT_EQ(window.Messages().size(), 3u);
  EXPECT_EQ(window.Messages()[0].text, Text(114));
  EXPECT_EQ(window.Messages()[1].text, Text(114));
  EXPECT_EQ(window.Messages()[2].text, Text(113));
  for (const auto& box : window.Messages()) {
    EXPECT_EQ(box.icon, MessageIcon::Error);
    EXPECT_EQ(box.buttons, MessageButtons::Ok);
    EXPECT_EQ(box.caption, "Setup");
  }
}

TEST_F(Detection, WindowsXpBeforeServicePack3IsOfferedItsDownloadAndRefusedEitherWay) {
  window.AnswerMessages({MessageAnswer::No, MessageAnswer::Yes});
  EXPECT_FALSE(CheckOn({os::kPlatformNt, 5, 1, 2600, "Service Pack 2"}));
  EXPECT_THAT(machine.shell.opened, IsEmpty()) << "No opens nothing";
  EXPECT_FALSE(CheckOn({os::kPlatformNt, 5, 1, 2600, ""}));
  EXPECT_THAT(machine.shell.opened,
              ElementsAre(RecordingShell::Opened{"open", PrerequisiteDetection::kXpServicePack3Url, "", "", 0}));
  EXPECT_THAT(PrerequisiteDetection::kXpServicePack3Url,
              ::testing::EndsWith("/download/9/4/d/94d3f80a-2c0d-4ce1-a983-52f946b62c78/"
                                  "WindowsXP-KB936929-SP3-x86-ITA.exe"));
  ASSERT_EQ(window.Messages().size(), 2u);
  EXPECT_EQ(window.Messages()[1].text, Text(115));
  EXPECT_EQ(window.Messages()[1].buttons, MessageButtons::YesNo);
  EXPECT_EQ(window.Messages()[1].icon, MessageIcon::Error);
}

TEST_F(Detection, DotNet48FromRelease528040OnAndFalseOnAnyError) {
  EXPECT_FALSE(Detect().IsDotNet48Installed()) << "no key";
  for (const auto& [release, present] : {std::pair{RegistryValue(std::int32_t{528039}), false},
                                         {RegistryValue(std::int32_t{528040}), true},
                                         {RegistryValue(std::int32_t{533325}), true},
                                         {RegistryValue(std::string("528049")), true}}) {
    machine.SetValue(registry::kLocalMachine, kNet48, "Release", release);
    EXPECT_EQ(Detect().IsDotNet48Installed(), present) << RegistryValueToText(release);
  }
  StageMultiString(kNet48, "Release");
  EXPECT_FALSE(Detect().IsDotNet48Installed());
}

TEST_F(Detection, DotNet35WithAServicePackAndItsRegistryErrorsReachTheCaller) {
  EXPECT_FALSE(Detect().IsDotNet35Sp1Installed()) << "no key";
  machine.SetValue(registry::kLocalMachine, kNet35, "SP", std::int32_t{0});
  EXPECT_FALSE(Detect().IsDotNet35Sp1Installed());
  machine.SetValue(registry::kLocalMachine, kNet35, "SP", std::int32_t{1});
  EXPECT_TRUE(Detect().IsDotNet35Sp1Installed());
  StageMultiString(kNet35, "SP");
  EXPECT_THROW(Detect().IsDotNet35Sp1Installed(), SetupError);
  EXPECT_EQ(machine.registry.OpenHandleCount(), 0u);
}

TEST_F(Detection, SqlInstanceIsItsServiceInAnyStateButContinuePending) {
  EXPECT_FALSE(Detect().IsSqlInstanceInstalled());
  machine.services.AddService("mssql$sqlexpress", {.state = service::kStopped});
  EXPECT_TRUE(Detect().IsSqlInstanceInstalled());
  machine.services.AddService("MSSQL$SQLEXPRESS", {.state = service::kContinuePending});
  EXPECT_FALSE(Detect().IsSqlInstanceInstalled());
  kit.Reload("SERVER=MY SERVER\r\n");
  machine.services.AddService("MSSQL$MY SERVER", {.state = service::kRunning});
  EXPECT_FALSE(Detect().IsSqlInstanceInstalled()) << "a name with a blank is refused";
}

}  // namespace
}  // namespace kelvano::test
