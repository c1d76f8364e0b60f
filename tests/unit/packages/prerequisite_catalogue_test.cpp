// Each package of the catalogue with its own values and its own success test, on a
// staged machine whose installers leave what the real ones would (or fail to).
#include "packages/prerequisite_catalogue.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "startup/format_text.h"
#include "startup/messages.h"
#include "tests/support/recording_run_state.h"
#include "tests/support/staged_kit.h"
#include "tests/support/staged_machine.h"

namespace kelvano::test {
namespace {

using ::testing::ElementsAre;

class NoEarlierVersion : public EarlierVersionRemoval {
 public:
  bool RemoveEarlierVersion(const std::string& productCode) override {
    codes.push_back(productCode);
    return true;
  }
  std::vector<std::string> codes;
};

const char kSettings[] =
    "PRODUCT=Kelvano\r\nPRODUCTCODE={1D2C3B4A}\r\nSERVER=KELVANO\r\nSERVERSAPASSWORD=Pa55word!\r\n";

class Catalogue : public ::testing::Test {
 protected:
  PrerequisiteCatalogue Make() {
    return PrerequisiteCatalogue(kit.Context(), machine.Seams(), window, runner, detection);
  }
  std::string Exe(const std::string& relative, const std::string& arguments) {
    return "\"" + kit.Path(relative) + "\" " + arguments;
  }
  std::vector<std::string> Started() {
    std::vector<std::string> lines;
    for (const auto& start : machine.processes.Starts()) lines.push_back(start.commandLine);
    return lines;
  }

  StagedMachine machine;
  StagedKit kit{machine.registry, kSettings};
  RecordingRunState window;
  NoEarlierVersion removal;
  PackageRunner runner{kit.Context(), machine.Seams(), window, removal};
  PrerequisiteDetection detection{kit.Context(), machine.Seams(), window};
};

TEST_F(Catalogue, SqlCommandLinesArePutTogetherPieceByPiece) {
  EXPECT_EQ(SqlServerArguments(SqlAttempt::Silent, "NT AUTHORITY\\LOCAL SERVICE", "KELVANO", "Pa55word!"),
            "/Q /IACCEPTSQLSERVERLICENSETERMS /HIDECONSOLE /SKIPRULES=RebootRequiredCheck "
            "PerfMonCounterNotCorruptedCheck /SQLSVCACCOUNT=\"NT AUTHORITY\\LOCAL SERVICE\" /ADDCURRENTUSERASSQLADMIN "
            "/INSTANCENAME=\"KELVANO\" /ACTION=\"Install\" /FEATURES=SQLEngine /SECURITYMODE=SQL /TCPENABLED=1 "
            "/NPENABLED=1 /SAPWD=Pa55word!");
  EXPECT_EQ(SqlServerArguments(SqlAttempt::WithInterface, "LocalSystem", "KELVANO", "Pa55word!"),
            "/IACCEPTSQLSERVERLICENSETERMS /SKIPRULES=RebootRequiredCheck PerfMonCounterNotCorruptedCheck "
            "/ADDCURRENTUSERASSQLADMIN /SQLSVCACCOUNT=\"LocalSystem\" /INSTANCENAME=\"KELVANO\" /ACTION=\"Install\" "
            "/FEATURES=SQLEngine /SECURITYMODE=SQL /TCPENABLED=1 /NPENABLED=1 /SAPWD=Pa55word!");
}

TEST_F(Catalogue, SqlServerIsJudgedByItsServiceAloneOverAtMostTwoAttempts) {
  const std::string account = PrerequisiteCatalogue::kLocalService;
  const std::string silent = Exe("Prerequisites\\SQLEXPR_2017_ENU.EXE",
                                 SqlServerArguments(SqlAttempt::Silent, account, "KELVANO", "Pa55word!"));
  const std::string visible = Exe("Prerequisites\\SQLEXPR_2017_ENU.EXE",
                                  SqlServerArguments(SqlAttempt::WithInterface, account, "KELVANO", "Pa55word!"));
  kit.Put("Prerequisites\\SQLEXPR_2017_ENU.EXE");
  // A failing exit code that still leaves the instance: one attempt, success.
  machine.processes.AddProgram(silent,
                               {.exitCode = 1, .onExit = [&] { machine.services.AddService("MSSQL$KELVANO", {}); }});
  EXPECT_TRUE(Make().InstallSqlServer());
  EXPECT_THAT(Started(), ElementsAre(silent));

  // Exit code 0 without an instance: the second attempt, with setup's interface.
  machine.services = MemoryServices();
  machine.processes.AddProgram(silent, {.exitCode = 0});
  machine.processes.AddProgram(visible, {.exitCode = 0});
  EXPECT_FALSE(Make().InstallSqlServer());
  EXPECT_THAT(Started(), ElementsAre(silent, silent, visible));
  EXPECT_TRUE(window.Messages().empty()) << "exit codes show nothing";
}

TEST_F(Catalogue, ThirtyTwoBitWindowsGetsSql2008WithTheAccountOfItsVersion) {
  machine.system.Staged() = MemorySystemInfo::WindowsXp();
  kit.Put("Prerequisites\\SQLEXPR_x86_ITA.EXE");
  EXPECT_FALSE(Make().InstallSqlServer());
  machine.system.Staged() = MemorySystemInfo::Windows10(false);
  EXPECT_FALSE(Make().InstallSqlServer());
  const auto sql2008 = [&](const std::string& account, SqlAttempt attempt) {
    return Exe("Prerequisites\\SQLEXPR_x86_ITA.EXE", SqlServerArguments(attempt, account, "KELVANO", "Pa55word!"));
  };
  EXPECT_THAT(Started(),
              ElementsAre(sql2008("LocalSystem", SqlAttempt::Silent), sql2008("LocalSystem", SqlAttempt::WithInterface),
                          sql2008("NT AUTHORITY\\LOCAL SERVICE", SqlAttempt::Silent),
                          sql2008("NT AUTHORITY\\LOCAL SERVICE", SqlAttempt::WithInterface)));
}

TEST_F(Catalogue, FrameworksAreJudgedByTheirDetectionAfterExitCodeZero) {
  const std::string net48 = Exe("Prerequisites\\dotnetfx48setup.exe", "/quiet /silent /qn /norestart");
  kit.Put("Prerequisites\\dotnetfx48setup.exe");
  const auto writeRelease = [&] {
    machine.SetValue(registry::kLocalMachine, "SOFTWARE\\Microsoft\\NET Framework Setup\\NDP\\v4\\Full", "Release",
                     std::int32_t{528040});
  };
  machine.processes.AddProgram(net48, {.exitCode = 3010, .onExit = writeRelease});
  EXPECT_FALSE(Make().InstallDotNet48()) << "a restart request is no success, though the framework is there";
  machine.processes.AddProgram(net48, {.exitCode = 0});
  EXPECT_TRUE(Make().InstallDotNet48());

  kit.Put("Prerequisites\\dotnetfx35setup.exe");
  machine.processes.AddProgram(Exe("Prerequisites\\dotnetfx35setup.exe", "/quiet /silent /qn /norestart"), {});
  EXPECT_FALSE(Make().InstallDotNet35Sp1()) << "exit code 0 but no SP value";
  EXPECT_TRUE(machine.network.Started().empty());
}

TEST_F(Catalogue, ProductNeedsItsRegistryKeyAndRemovesTheEarlierVersionFirst) {
  kit.Put("Setup\\Setup.exe");
  const std::string features = "/S /v\"/qn ADDLOCAL=ALL REMOVE=Kelvano_Client\"";
  machine.processes.AddProgram(Exe("Setup\\Setup.exe", features), {});
  EXPECT_FALSE(Make().InstallProduct(features)) << "no product key afterwards";
  machine.SetValue(registry::kLocalMachine, "SOFTWARE\\Kelvano", "SetupType", std::string("Server"));
  EXPECT_TRUE(Make().InstallProduct(features));
  EXPECT_THAT(removal.codes, ElementsAre("{1D2C3B4A}", "{1D2C3B4A}"));
}

TEST_F(Catalogue, QuickSupportWithoutToolOrAddressShowsTheMissingPath) {
  EXPECT_FALSE(Make().RunQuickSupport());
  ASSERT_EQ(window.Messages().size(), 1u);
  EXPECT_EQ(window.Messages()[0].text, FormatText(LoadMessage(112), "Quick Support",
                                                  FormatText(LoadMessage(110), kit.Path("Tools\\VelmoraSupport.exe"))));
  EXPECT_EQ(Make().ToolPath("VelmoraSupport.exe"), kit.Path("Tools\\VelmoraSupport.exe"));
}

}  // namespace
}  // namespace kelvano::test
