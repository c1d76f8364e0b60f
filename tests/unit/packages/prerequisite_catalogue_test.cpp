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
  EXPECT_EQ(SqlServerArguments(SqlAttempt::Silent, "NT AUTHORITY\\LOCAL SERVICE", "KELVANO", "Pa55word!").Text(),
            "/Q /IACCEPTSQLSERVERLICENSETERMS /HIDECONSOLE /SKIPRULES=RebootRequiredCheck "
            "PerfMonCounterNotCorruptedCheck /SQLSVCACCOUNT=\"NT AUTHORITY\\LOCAL SERVICE\" /ADDCURRENTUSERASSQLADMIN "
            "/INSTANCENAME=\"KELVANO\" /ACTION=\"Install\" /FEATURES=SQLEngine /SECURITYMODE=SQL /TCPENABLED=1 "
            "/NPENABLED=1 /SAPWD=Pa55word!");
  EXPECT_THAT(SqlServerArguments(SqlAttempt::Silent, "LocalSystem", "K", "Pa55word!").Secrets(),
              ElementsAre("Pa55word!"));
  EXPECT_EQ(SqlServerArguments(SqlAttempt::WithInterface, "LocalSystem", "KELVANO", "Pa55word!").Text(),
            "/IACCEPTSQLSERVERLICENSETERMS /SKIPRULES=RebootRequiredCheck PerfMonCounterNotCorruptedCheck "
            "/ADDCURRENTUSERASSQLADMIN /SQLSVCACCOUNT=\"LocalSystem\" /INSTANCENAME=\"KELVANO\" /ACTION=\"Install\" "
            "/FEATURES=SQLEngine /SECURITYMODE=SQL /TCPENABLED=1 /NPENABLED=1 /SAPWD=Pa55word!");
}

TEST_F(Catalogue, SqlServerIsJudgedByItsServiceAloneOverAtMostTwoAttempts) {
  const std::string account = PrerequisiteCatalogue::kLocalService;
  const std::string silent = Exe("Prerequisites\\SQLEXPR_2017_ENU.EXE",
                                 SqlServerArguments(SqlAttempt::Silent, account, "KELVANO", "Pa55word!").Text());
  const std::string visible =
      Exe("Prerequisites\\SQLEXPR_2017_ENU.EXE",
          SqlServerArguments(SqlAttempt::WithInterface, account, "KELVANO", "Pa55word!").Text());
  kit.Put("Prerequisites\\SQLEXPR_2017_ENU.EXE");
  // A failing exit code that still leaves the instance: one attempt, success.
  machine.processes.AddProgram(silent,
                               {.exitCode = 1, .onExit = [&] { machine.services.AddService("MSSQL$KELVANO", {}); }});
  EXPECT_EQ(Make().InstallSqlServer(), PackageOutcome::Installed);
  EXPECT_THAT(Started(), ElementsAre(silent));

  // Exit code 0 without an instance: the second attempt, with setup's interface.
  machine.services = MemoryServices();
  machine.processes.AddProgram(silent, {.exitCode = 0});
  machine.processes.AddProgram(visible, {.exitCode = 0});
  EXPECT_EQ(Make().InstallSqlServer(), PackageOutcome::Failed);
  EXPECT_THAT(Started(), ElementsAre(silent, silent, visible));
  EXPECT_TRUE(window.Messages().empty()) << "exit codes show nothing";
}

TEST_F(Catalogue, ThirtyTwoBitWindowsGetsSql2008WithTheAccountOfItsVersion) {
  machine.system.Staged() = MemorySystemInfo::WindowsXp();
  kit.Put("Prerequisites\\SQLEXPR_x86_ITA.EXE");
  EXPECT_EQ(Make().InstallSqlServer(), PackageOutcome::Failed);
  machine.system.Staged() = MemorySystemInfo::Windows10(false);
  EXPECT_EQ(Make().InstallSqlServer(), PackageOutcome::Failed);
  const auto sql2008 = [&](const std::string& account, SqlAttempt attempt) {
    return Exe("Prerequisites\\SQLEXPR_x86_ITA.EXE",
               SqlServerArguments(attempt, account, "KELVANO", "Pa55word!").Text());
  };
  EXPECT_THAT(Started(),
              ElementsAre(sql2008("LocalSystem", SqlAttempt::Silent), sql2008("LocalSystem", SqlAttempt::WithInterface),
                          sql2008("NT AUTHORITY\\LOCAL SERVICE", SqlAttempt::Silent),
                          sql2008("NT AUTHORITY\\LOCAL SERVICE", SqlAttempt::WithInterface)));
}

TEST(PackageJudgement, ExitCodesAsDeploymentToolsReadThemConfirmedByTheDetection) {
  using Ended = InstallerReport::Ended;
  using enum PackageOutcome;
  struct Case {
    InstallerReport report;
    PackageOutcome detected, missing;
  };
  const Case cases[] = {
      {{Ended::Exited, 0}, Installed, Failed},        {{Ended::Exited, 3010}, RestartNeeded, Failed},
      {{Ended::Exited, 3011}, RestartNeeded, Failed}, {{Ended::Exited, 1641}, RestartStarted, Failed},
      {{Ended::Exited, 1618}, Failed, Failed},  // still busy after the runner's tries
      {{Ended::Exited, 1603}, Failed, Failed},        {{Ended::Exited, -1073741819}, Failed, Failed},
      {{Ended::NotStarted}, Failed, Failed},          {{Ended::Cancelled}, Cancelled, Cancelled},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(JudgePackage(kit_package::kDotNet48, c.report, true), c.detected) << c.report.exitCode;
    EXPECT_EQ(JudgePackage(kit_package::kDotNet48, c.report, false), c.missing) << c.report.exitCode;
    // SQL Server is judged by its service alone, even after Cancel.
    EXPECT_EQ(JudgePackage(kit_package::kSql2017, c.report, true), Installed) << c.report.exitCode;
  }
  EXPECT_EQ(MeaningOfExitCode(1618), ExitCodeMeaning::TryLater);
  EXPECT_FALSE(NeedsDetection(kit_package::kDotNet48, {Ended::Exited, 1603})) << "a failure asks nothing more";
}

TEST_F(Catalogue, FrameworksAreJudgedByTheirRowAndTheirDetection) {
  const std::string net48 = Exe("Prerequisites\\dotnetfx48setup.exe", "/quiet /silent /qn /norestart");
  kit.Put("Prerequisites\\dotnetfx48setup.exe");
  machine.processes.AddProgram(net48, {.exitCode = 3010, .onExit = [&] {
                                         machine.SetValue(registry::kLocalMachine,
                                                          "SOFTWARE\\Microsoft\\NET Framework Setup\\NDP\\v4\\Full",
                                                          "Release", std::int32_t{528040});
                                       }});
  EXPECT_EQ(Make().Install(kit_package::kDotNet48), PackageOutcome::RestartNeeded);
  machine.processes.AddProgram(net48, {.exitCode = 0});
  EXPECT_EQ(Make().Install(kit_package::kDotNet48), PackageOutcome::Installed);

  kit.Put("Prerequisites\\dotnetfx35setup.exe");
  machine.processes.AddProgram(Exe("Prerequisites\\dotnetfx35setup.exe", "/quiet /silent /qn /norestart"), {});
  EXPECT_EQ(Make().Install(kit_package::kDotNet35), PackageOutcome::Failed) << "exit code 0 but no SP value";
  EXPECT_TRUE(machine.network.Started().empty());
}

TEST_F(Catalogue, ProductNeedsItsRegistryKeyAndRemovesTheEarlierVersionFirst) {
  kit.Put("Setup\\Setup.exe");
  const std::string features = "/S /v\"/qn ADDLOCAL=ALL REMOVE=Kelvano_Client\"";
  machine.processes.AddProgram(Exe("Setup\\Setup.exe", features), {});
  EXPECT_EQ(Make().InstallProduct(features), PackageOutcome::Failed) << "no product key afterwards";
  machine.SetValue(registry::kLocalMachine, "SOFTWARE\\Kelvano", "SetupType", std::string("Server"));
  EXPECT_EQ(Make().InstallProduct(features), PackageOutcome::Installed);
  EXPECT_THAT(removal.codes, ElementsAre("{1D2C3B4A}", "{1D2C3B4A}"));
}

TEST_F(Catalogue, QuickSupportWithoutToolOrAddressShowsTheMissingPath) {
  EXPECT_EQ(Make().RunQuickSupport(), PackageOutcome::Cancelled);
  ASSERT_EQ(window.Messages().size(), 1u);
  EXPECT_EQ(window.Messages()[0].text, FormatText(LoadMessage(112), "Quick Support",
                                                  FormatText(LoadMessage(110), kit.Path("Tools\\VelmoraSupport.exe"))));
  EXPECT_EQ(Make().InstallerPath(kit_package::kQuickSupport), kit.Path("Tools\\VelmoraSupport.exe"));
}

}  // namespace
}  // namespace kelvano::test
