// Whole runs on a staged machine whose installers leave what the real ones leave: what
// the user sees, what is started, and what the machine holds afterwards.
#include "sequence/installation_sequence.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "startup/format_text.h"
#include "startup/messages.h"
#include "startup/path_helpers.h"
#include "system/native_path.h"
#include "tests/support/recording_run_state.h"
#include "tests/support/staged_kit.h"
#include "tests/support/staged_machine.h"

namespace kelvano::test {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Not;
using ::testing::StartsWith;

constexpr char kProductKey[] = "SOFTWARE\\Kelvano";
constexpr char kRunOnce[] = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
const char kSettings[] = "PRODUCT=Kelvano\r\nPRODUCTCODE={C0DE}\r\nSERVER=KELVANO\r\nAPIPORT=8080\r\nNETWORK=LAN1\r\n";

class Sequence : public ::testing::Test {
 protected:
  Sequence() {
    programs.Write("Kelvano.exe", "MZ");
    programs.Write("MSSQL/binn/sqlservr.exe", "MZ");
    Stage("Prerequisites\\dotnetfx35setup.exe", "/quiet /silent /qn /norestart", [this] {
      machine.SetValue(registry::kLocalMachine, "SOFTWARE\\Microsoft\\NET Framework Setup\\NDP\\v3.5", "SP", 1);
    });
    Stage("Prerequisites\\dotnetfx48setup.exe", "/quiet /silent /qn /norestart", [this] {
      machine.SetValue(registry::kLocalMachine, "SOFTWARE\\Microsoft\\NET Framework Setup\\NDP\\v4\\Full", "Release",
                       528040);
    });
    Stage("Prerequisites\\SQLEXPR_2017_ENU.EXE",
          SqlServerArguments(SqlAttempt::Silent, "NT AUTHORITY\\LOCAL SERVICE", "KELVANO", DefaultSaPassword()).Text(),
          [this] {
            machine.services.AddService("MSSQL$KELVANO", sqlService);
            machine.SetValue(registry::kLocalMachine, "SOFTWARE\\Microsoft\\Microsoft SQL Server\\Instance Names\\SQL",
                             "KELVANO", std::string("MSSQL14.KELVANO"), registry::kView64);
            machine.SetValue(registry::kLocalMachine,
                             "SOFTWARE\\Microsoft\\Microsoft SQL Server\\MSSQL14.KELVANO\\Setup", "SQLPath",
                             programs.Path() + "\\MSSQL", registry::kView64);
          });
    for (const SetupOption option : {SetupOption::Server, SetupOption::Client}) {
      Stage("Setup\\Setup.exe", FeatureArguments(option), [this, option] {
        machine.SetValue(registry::kLocalMachine, kProductKey, "", programs.Path() + "\\Kelvano.exe");
        machine.SetValue(registry::kLocalMachine, kProductKey, "SetupType",
                         std::string(option == SetupOption::Server ? "Server" : "Client"));
      });
    }
  }

  // An installer of the kit, and what it leaves on the machine when it runs.
  void Stage(const std::string& file, const std::string& arguments, std::function<void()> leaves,
             std::uint32_t exitCode = 0) {
    kit.Put(file);
    machine.processes.AddProgram(Quoted(kit.Path(file)) + " " + arguments, {.exitCode = exitCode, .onExit = [=, this] {
                                                                              leaves();
                                                                              ran.push_back(file);
                                                                            }});
  }
  InstallationOutcome Run(SetupOption option) {
    InstallationSequence sequence(kit.Context(), machine.Seams(), window, kit.Path("Setup.exe"));
    window.OnOptionClick([&](int clicked) { sequence.RunInstallation(clicked); });
    return sequence.RunInstallation(static_cast<int>(option));
  }
  std::vector<std::string> Messages() {
    std::vector<std::string> texts;
    for (const auto& box : window.Messages()) texts.push_back(box.text);
    return texts;
  }
  std::vector<std::string> Netsh() {
    std::vector<std::string> lines;
    for (const auto& start : machine.processes.Starts()) {
      if (start.commandLine.find("netsh.exe") != std::string::npos) lines.push_back(start.commandLine);
    }
    return lines;
  }
  std::string Message(int number) { return FormatText(LoadMessage(number), "Kelvano"); }
  std::string ProductValue(const char* name) {
    return RegistryValueToText(machine.Value(registry::kLocalMachine, kProductKey, name));
  }

  StagedService sqlService;  // stopped, starts when asked
  TempFolder programs;
  StagedMachine machine;
  StagedKit kit{machine.registry, kSettings};
  RecordingRunState window;
  std::vector<std::string> ran;
};

TEST_F(Sequence, ServerOnABareMachineInstallsEverythingInOrderAndEndsWithMessage101) {
  EXPECT_EQ(Run(SetupOption::Server), InstallationOutcome::Completed);
  EXPECT_THAT(ran, ElementsAre("Prerequisites\\dotnetfx35setup.exe", "Prerequisites\\dotnetfx48setup.exe",
                               "Prerequisites\\SQLEXPR_2017_ENU.EXE", "Setup\\Setup.exe"));
  EXPECT_THAT(machine.services.StartRequests(), ElementsAre("MSSQL$KELVANO"));
  const std::vector<std::string> netsh = Netsh();
  ASSERT_EQ(netsh.size(), 4u) << "two SQL rules, the product's rule, the URL reservation";
  EXPECT_THAT(netsh[0], ::testing::HasSubstr("name=KelvanoSQL"));
  EXPECT_THAT(netsh[3], ::testing::EndsWith("http add urlacl url=http://+:8080/ user=everyone"));
  EXPECT_EQ(ProductValue("Network"), "LAN1");
  EXPECT_THAT(Messages(), ElementsAre(FormatText(LoadMessage(101))));
  EXPECT_EQ(window.Messages()[0].icon, MessageIcon::Information);
}

TEST_F(Sequence, ClientNeverTouchesSqlServerTheFirewallOrTheNetworkValue) {
  machine.SetValue(registry::kLocalMachine, kProductKey, "Network", std::string("old"));
  EXPECT_EQ(Run(SetupOption::Client), InstallationOutcome::Completed);
  EXPECT_THAT(
      ran, ElementsAre("Prerequisites\\dotnetfx35setup.exe", "Prerequisites\\dotnetfx48setup.exe", "Setup\\Setup.exe"));
  EXPECT_EQ(ProductValue("SetupType"), "Client");
  EXPECT_THAT(Netsh(), IsEmpty());
  EXPECT_EQ(machine.services.CallCount(), 0u);
  EXPECT_EQ(ProductValue("Network"), "old");
}

TEST_F(Sequence, SkipOptionsLeaveOutTheirStepsAndAnExistingInstanceIsLeftAlone) {
  kit.Reload(kSettings, "/nosql /noframework");
  EXPECT_EQ(Run(SetupOption::Server), InstallationOutcome::Completed);
  EXPECT_THAT(ran, ElementsAre("Setup\\Setup.exe"));
  EXPECT_EQ(Netsh().size(), 2u) << "the product's rule and reservation only";

  kit.Reload(kSettings, "/noframework");
  machine.services.AddService("MSSQL$KELVANO", {.state = service::kStopped});
  EXPECT_EQ(Run(SetupOption::Server), InstallationOutcome::Completed);
  EXPECT_THAT(ran, ElementsAre("Setup\\Setup.exe", "Setup\\Setup.exe")) << "no SQL Server setup";
  EXPECT_THAT(machine.services.StartRequests(), IsEmpty()) << "an existing instance is not checked";
  EXPECT_EQ(Netsh().size(), 4u) << "and gets no SQL rules";
}

TEST_F(Sequence, AServiceThatWillNotStartAsksForARestartAndTheResumedRunAddsNoSqlRules) {
  sqlService.startResult = windows_error::kServiceDisabled;
  EXPECT_EQ(Run(SetupOption::Server), InstallationOutcome::RestartPending);
  EXPECT_EQ(RegistryValueToText(machine.Value(registry::kCurrentUser, kRunOnce, "Kelvano Setup")),
            Quoted(kit.Path("Setup.EXE")) + " /resume /S /v\"/qn ADDLOCAL=ALL REMOVE=Kelvano_Client\"");
  EXPECT_THAT(Messages(), ElementsAre(Message(125)));
  EXPECT_EQ(window.Messages()[0].buttons, MessageButtons::YesNo);
  EXPECT_THAT(ran, Not(Contains("Setup\\Setup.exe"))) << "No leaves the product to the run after the restart";
  EXPECT_THAT(machine.shutdown.ExitRequests(), IsEmpty());

  window.AnswerMessages({MessageAnswer::Yes});
  machine.services = MemoryServices();
  EXPECT_EQ(Run(SetupOption::Server), InstallationOutcome::RestartPending);
  ASSERT_EQ(machine.shutdown.ExitRequests().size(), 1u);
  EXPECT_EQ(machine.shutdown.ExitRequests()[0].flags, 6u);

  // After the restart the instance exists: straight to the product, no SQL rules.
  ran.clear();
  EXPECT_EQ(Run(SetupOption::Server), InstallationOutcome::Completed);
  EXPECT_THAT(ran, ElementsAre("Setup\\Setup.exe"));
  EXPECT_THAT(Netsh(), Not(Contains(::testing::HasSubstr("KelvanoSQL"))));
}

TEST_F(Sequence, AFrameworkThatNeedsARestartEndsTheRunAndTheRunAfterTheRestartGoesOn) {
  const std::string net48 = "SOFTWARE\\Microsoft\\NET Framework Setup\\NDP\\v4\\Full";
  const auto release = [&] { machine.SetValue(registry::kLocalMachine, net48, "Release", 528040); };
  Stage("Prerequisites\\dotnetfx48setup.exe", "/quiet /silent /qn /norestart", release, 3010);
  kit.Reload(std::string(kSettings) + "MODE=quite\r\n", "/nosql /log C:\\logs\\setup.log");
  EXPECT_EQ(ExitCodeOf(Run(SetupOption::Server)), 3010);
  EXPECT_THAT(Messages(), ElementsAre(FormatText(LoadMessage(125), "Microsoft .NET Framework 4.8")));
  EXPECT_EQ(RegistryValueToText(machine.Value(registry::kCurrentUser, kRunOnce, "Kelvano Setup")),
            Quoted(kit.Path("Setup.EXE")) + " /resume /q /nosql /log \"C:\\logs\\setup.log\" " +
                FeatureArguments(SetupOption::Server));
  EXPECT_THAT(ran, Not(Contains("Setup\\Setup.exe")));

  // The run after the restart finds the framework and goes on.
  ran.clear();
  EXPECT_EQ(ExitCodeOf(Run(SetupOption::Server)), 0);
  EXPECT_THAT(ran, ElementsAre("Setup\\Setup.exe"));

  // 1641: the installer restarts Windows itself; no question, the entry is there.
  RegistryManager(machine.registry).DeleteValue(registry::kCurrentUser, kRunOnce, "Kelvano Setup");
  RegistryManager(machine.registry).DeleteValue(registry::kLocalMachine, net48, "Release");
  Stage("Prerequisites\\dotnetfx48setup.exe", "/quiet /silent /qn /norestart", release, 1641);
  EXPECT_EQ(ExitCodeOf(Run(SetupOption::Server)), 1641);
  EXPECT_EQ(window.Messages().size(), 1u);
  EXPECT_THAT(RegistryValueToText(machine.Value(registry::kCurrentUser, kRunOnce, "Kelvano Setup")),
              StartsWith(Quoted(kit.Path("Setup.EXE")) + " /resume /q"));
}

TEST_F(Sequence, AProductThatNeedsARestartIsCompleteAndOffersItWithoutResuming) {
  kit.Reload(kSettings, "/nosql /noframework");
  Stage(
      "Setup\\Setup.exe", FeatureArguments(SetupOption::Server),
      [this] { machine.SetValue(registry::kLocalMachine, kProductKey, "", programs.Path() + "\\Kelvano.exe"); }, 3010);
  window.AnswerMessages({MessageAnswer::Yes});
  EXPECT_EQ(ExitCodeOf(Run(SetupOption::Server)), 3010);
  EXPECT_THAT(Messages(), ElementsAre(Message(125))) << "no message 101";
  EXPECT_EQ(machine.shutdown.ExitRequests().size(), 1u);
  EXPECT_EQ(ProductValue("Network"), "LAN1") << "the installation is complete";
  EXPECT_EQ(Netsh().size(), 2u);
  EXPECT_EQ(machine.Value(registry::kCurrentUser, kRunOnce, "Kelvano Setup"), RegistryValue{}) << "nothing to resume";
}

TEST(ResumeCommandLine, KeepsTheSwitchesOfTheRunBeforeTheFeatureArguments) {
  StagedMachine machine;
  RecordingRunState window;
  const struct {
    const char* settings;
    const char* commandLine;
    const char* switches;
  } cases[] = {
      {"", "", " /resume"},
      {"MODE=quite\r\n", "", " /resume /q"},
      {"", "/q /suppressmsgboxes /nosql /noframework /v 2.1 /log \"D:\\a b\\s.log\"",
       " /resume /q /suppressmsgboxes /nosql /noframework /v 2.1 /log \"D:\\a b\\s.log\""},
      {"VERSION=3.0\r\n", "/noframework", " /resume /noframework /v 3.0"},
  };
  for (const auto& c : cases) {
    const std::string settings = std::string("PRODUCT=Kelvano\r\n") + c.settings;
    StagedKit kit(machine.registry, settings);
    kit.Reload(settings, c.commandLine);
    const InstallationSequence sequence(kit.Context(), machine.Seams(), window, kit.Path("setup.exe"));
    const std::string line = sequence.ResumeCommandLine(SetupOption::Client);
    const std::string program = Quoted(kit.Path("setup.EXE"));
    EXPECT_EQ(line, program + c.switches + " " + FeatureArguments(SetupOption::Client)) << c.commandLine;
    // What the resumed run reads from it.
    StagedKit resumed(machine.registry, settings);
    resumed.Reload(settings, line.substr(program.size()));
    const SetupSettings& before = kit.Context().Settings();
    const SetupSettings& after = resumed.Context().Settings();
    EXPECT_TRUE(after.Resumed);
    EXPECT_EQ(std::tie(after.QuietMode, after.SuppressMessageBoxes, after.SkipSql, after.SkipFramework,
                       after.ProductVersion, after.LogPath),
              std::tie(before.QuietMode, before.SuppressMessageBoxes, before.SkipSql, before.SkipFramework,
                       before.ProductVersion, before.LogPath));
  }
}

TEST(QuietRunOption, IsTheStoredServerOrClientInAnyCaseAndNothingElse) {
  EXPECT_EQ(QuietRunOption("Server"), SetupOption::Server);
  EXPECT_EQ(QuietRunOption("CLIENT"), SetupOption::Client);
  EXPECT_EQ(QuietRunOption(" client"), std::nullopt);
  EXPECT_EQ(QuietRunOption("Quick Support"), std::nullopt);
  EXPECT_EQ(QuietRunOption(""), std::nullopt);
}

TEST_F(Sequence, AnotherSetupTypeIsQuestionedOnlyInteractivelyAndNoChangesNothing) {
  machine.SetValue(registry::kLocalMachine, kProductKey, "SetupType", std::string("CLIENT"));
  EXPECT_EQ(Run(SetupOption::Server), InstallationOutcome::Declined);
  ASSERT_EQ(window.Messages().size(), 1u);
  EXPECT_EQ(window.Messages()[0].text, FormatText(LoadMessage(118)));
  EXPECT_EQ(window.Messages()[0].icon, MessageIcon::Question);
  EXPECT_TRUE(window.Messages()[0].secondButtonDefault) << "No is the default";
  EXPECT_THAT(machine.processes.Starts(), IsEmpty());

  kit.Reload(std::string(kSettings) + "MODE=quite\r\n");
  EXPECT_EQ(Run(SetupOption::Server), InstallationOutcome::Completed);
  EXPECT_EQ(window.Messages().size(), 1u) << "quiet: neither 118 nor 101";
}

TEST_F(Sequence, QuickSupportClickedDuringAPackageIsTurnedAwayWith117) {
  // The click arrives while the first package runs.
  std::function<void()> clickWhileRunning = [&] {
    if (window.InstallationRunning()) {
      window.ClickAtNextPump(2);
    } else {
      window.AtNextPump(clickWhileRunning);
    }
  };
  window.AtNextPump(clickWhileRunning);
  EXPECT_EQ(Run(SetupOption::Client), InstallationOutcome::Completed);
  EXPECT_THAT(Messages(), ElementsAre(FormatText(LoadMessage(117)), FormatText(LoadMessage(101))));
  EXPECT_EQ(window.Messages()[0].icon, MessageIcon::Warning);
  EXPECT_THAT(ran, Not(Contains("Tools\\VelmoraSupport.exe")));
}

TEST_F(Sequence, AServerWithoutNetworkTextRemovesTheValue) {
  // An older installation's yes/no word gives way to the settings file, which has none.
  machine.SetValue(registry::kLocalMachine, kProductKey, "Network", std::string("vero"));
  kit.Reload("PRODUCT=Kelvano\r\nSERVER=KELVANO\r\n", "/nosql /noframework");
  EXPECT_EQ(Run(SetupOption::Server), InstallationOutcome::Completed);
  EXPECT_EQ(machine.Value(registry::kLocalMachine, kProductKey, "Network"), RegistryValue{});
}

TEST_F(Sequence, FailuresEndTheRunWithTheirMessageAlsoInQuietMode) {
  kit.Reload(std::string(kSettings) + "MODE=quite\r\n", "/nosql /noframework");
  Stage(
      "Setup\\Setup.exe", FeatureArguments(SetupOption::Server), [] {}, 1603);
  EXPECT_EQ(Run(SetupOption::Server), InstallationOutcome::ProductFailed);
  EXPECT_THAT(Messages(), ElementsAre(FormatText(LoadMessage(127))));

  kit.Reload(kSettings);
  machine.processes = MemoryProcesses();  // no framework installer runs
  EXPECT_EQ(Run(SetupOption::Client), InstallationOutcome::PrerequisiteFailed);
  EXPECT_EQ(Messages().back(), FormatText(LoadMessage(119))) << "after the 3.5 step, as always shown";

  machine.system.Staged().version = {os::kPlatformNt, 4, 0, 1381, ""};
  EXPECT_EQ(Run(SetupOption::Client), InstallationOutcome::WindowsRefused);
  EXPECT_EQ(Messages().back(), FormatText(LoadMessage(114)));
  EXPECT_TRUE(window.Closed());
}

TEST_F(Sequence, SqlServerWithoutItsProgramOnDiskGivesTheFirewallWarningAndGoesOn) {
  std::remove(NativePath(programs.Path() + "/MSSQL/binn/sqlservr.exe").c_str());
  kit.Reload(kSettings, "/noframework");
  EXPECT_EQ(Run(SetupOption::Server), InstallationOutcome::Completed);
  EXPECT_THAT(Messages(), ElementsAre(FormatText(LoadMessage(134)), FormatText(LoadMessage(101))));
  EXPECT_EQ(window.Messages()[0].icon, MessageIcon::Warning);
}

}  // namespace
}  // namespace kelvano::test

namespace kelvano::test {
namespace {

TEST_F(Sequence, EveryEndOfARunHasTheExitCodeThatDeploymentToolsRead) {
  kit.Reload(kSettings, "/noframework");
  sqlService.startResult = windows_error::kServiceDisabled;
  EXPECT_EQ(ExitCodeOf(Run(SetupOption::Server)), 3010) << "the restart offer, declined";
  machine.services.AddService("MSSQL$KELVANO", {});
  EXPECT_EQ(ExitCodeOf(Run(SetupOption::Server)), 0);
  EXPECT_EQ(ExitCodeOf(Run(SetupOption::Client)), 1602) << "No to message 118";
  machine.processes.AddProgram(Quoted(kit.Path("Setup\\Setup.exe")) + " " + FeatureArguments(SetupOption::Server),
                               {.exitCode = 1603});
  EXPECT_EQ(ExitCodeOf(Run(SetupOption::Server)), 1603) << "message 127";
  std::remove(NativePath(kit.Path("Setup\\Setup.exe")).c_str());
  EXPECT_EQ(ExitCodeOf(Run(SetupOption::Server)), 1602) << "Cancel in the box of the missing product package";
  machine.system.Staged().version = {os::kPlatformNt, 4, 0, 1381, ""};
  EXPECT_EQ(ExitCodeOf(Run(SetupOption::Server)), 1603) << "a refused Windows";
  EXPECT_EQ(ExitCodeOf(InstallationSequence(kit.Context(), machine.Seams(), window, "").RunInstallation(3)), 0);
}

TEST_F(Sequence, TheLogOfAServerRunTellsWhatHappenedButNeverThePassword) {
  EXPECT_EQ(Run(SetupOption::Server), InstallationOutcome::Completed);
  const std::vector<std::string>& events = machine.log.Events();
  const auto logged = [&](const std::string& text) {
    return std::any_of(events.begin(), events.end(), [&](const std::string& e) { return e.find(text) != e.npos; });
  };
  EXPECT_TRUE(logged("detection: .NET Framework 4.8: missing (Release 0)"));
  EXPECT_TRUE(logged("/SAPWD=************"));
  EXPECT_FALSE(logged(DefaultSaPassword())) << "the sa password is never logged";
  EXPECT_TRUE(logged("ended with exit code 0 after "));
  EXPECT_TRUE(logged("service MSSQL$KELVANO: start requested"));
  EXPECT_TRUE(logged("registry: HKLM\\SOFTWARE\\Kelvano \"Network\" = \"LAN1\""));
  EXPECT_TRUE(logged("package Kelvano: succeeded"));
  for (const std::string& line : DescribeSettings(kit.Context().Settings())) {
    EXPECT_EQ(line.find(kit.Context().Settings().SaPassword), std::string::npos) << line;
  }
  SetupLog log(nullptr);
  log.Conceal("a b");
  log.Write("x.exe /SAPWD=\"a b\" /Q /sapwd=a b");
  EXPECT_EQ(log.Events().back(), "x.exe /SAPWD=\"***\" /Q /sapwd=***") << "wherever it appears";
}

}  // namespace
}  // namespace kelvano::test
