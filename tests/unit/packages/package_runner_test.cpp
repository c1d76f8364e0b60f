// One package from the kit or from the network, on a staged machine: what the user
// sees, what is started, and that nothing the runner made stays under TEMP.
#include "packages/package_runner.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "startup/format_text.h"
#include "startup/messages.h"
#include "startup/path_helpers.h"
#include "system/setup_error.h"
#include "tests/support/recording_run_state.h"
#include "tests/support/staged_kit.h"
#include "tests/support/staged_machine.h"
#include "tests/support/zip_builder.h"

namespace kelvano::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

const std::string kName = "Microsoft .NET Framework 4.8";

class RecordingRemoval : public EarlierVersionRemoval {
 public:
  bool RemoveEarlierVersion(const std::string& productCode) override {
    codes.push_back(productCode);
    if (failures > 0) {
      --failures;
      throw SetupError(1001, "registry", "Tipo non supportato.");
    }
    return answer;
  }
  std::vector<std::string> codes;
  bool answer = true;
  int failures = 0;
};

std::string Exe(const std::string& path, const std::string& arguments) { return "\"" + path + "\" " + arguments; }

class RunPackageTest : public ::testing::Test {
 protected:
  RunPackageTest() { machine.system.Staged().environment["TEMP"] = temp.Path(); }

  InstallerReport Report(const std::string& installer, const std::string& arguments, const std::string& description,
                         const std::string& code = "", bool waitsForOthers = false) {
    PackageRunner runner(kit.Context(), machine.Seams(), window, removal);
    return runner.RunPackage({kName, installer, arguments, description, code, waitsForOthers});
  }
  // The installer ran and ended with exit code 0.
  bool Run(const std::string& installer, const std::string& arguments, const std::string& description,
           const std::string& code = "") {
    const InstallerReport report = Report(installer, arguments, description, code);
    return report.ended == InstallerReport::Ended::Exited && report.exitCode == 0;
  }
  // The runner's box for a failure of this package with that technical text.
  std::string Failure(bool hasDescription, const std::string& technical) {
    return FormatText(LoadMessage(hasDescription ? 111 : 112), kName, technical);
  }
  std::string Step(int message) { return "progress: " + FormatText(LoadMessage(message), kName); }
  std::vector<std::string> Messages() {
    std::vector<std::string> texts;
    for (const auto& box : window.Messages()) texts.push_back(box.text);
    return texts;
  }
  std::string Extracted(const std::string& relative) {
    return PathJoin(PathJoin(PathJoin(temp.Path(), "VLMInstaller"), kName), relative);
  }
  // The window as it is left after every run: free, option page, default pointer.
  void ExpectCleanedUp() {
    EXPECT_THAT(temp.Contents(), IsEmpty()) << "the runner left files under TEMP";
    EXPECT_FALSE(window.InstallationRunning());
    EXPECT_FALSE(window.ProgressPageVisible());
    EXPECT_FALSE(window.BusyPointer());
    EXPECT_EQ(machine.processes.OpenHandleCount(), 0u);
  }

  StagedMachine machine;
  TempFolder temp;
  StagedKit kit{machine.registry, "PRODUCT=Kelvano\r\nVERSION=2.1.0\r\n"};
  RecordingRunState window;
  RecordingRemoval removal;
};

TEST_F(RunPackageTest, ShippedInstallerRunsInPlaceWhileTheWindowIsBusyAndStays) {
  const std::string installer = kit.Put("Prerequisites\\dotnetfx48setup.exe");
  bool busyWhileRunning = false;
  machine.processes.AddProgram(Exe(installer, "/q"), {.onExit = [&] {
                                 busyWhileRunning = window.InstallationRunning() && window.BusyPointer() &&
                                                    window.ProgressPageVisible();
                               }});
  EXPECT_TRUE(Run(installer, "/q", "http://kit.example/net48.exe|net48.exe|False"));

  EXPECT_THAT(machine.network.Started(), IsEmpty()) << "a shipped installer is not downloaded";
  ASSERT_EQ(machine.processes.Starts().size(), 1u);
  const ProcessStart& start = machine.processes.Starts()[0];
  EXPECT_EQ(start.currentDirectory, ParentFolder(installer));
  EXPECT_EQ(start.creationFlags, 0x20000u);
  EXPECT_TRUE(busyWhileRunning);
  EXPECT_THAT(window.Log(), ElementsAre("pointer: busy", "running: true", Step(109), "running: false", "options",
                                        "pointer: default"));
  EXPECT_TRUE(FileExists(installer)) << "what shipped with the setup stays";
  EXPECT_THAT(removal.codes, ElementsAre(""));
  ExpectCleanedUp();
}

TEST_F(RunPackageTest, TheReportSaysHowTheInstallerEndedAndNoExitCodeShowsAMessage) {
  using Ended = InstallerReport::Ended;
  const std::string installer = kit.Put("Prerequisites\\setup.exe");
  for (const std::uint32_t code : {3010u, 1641u, 1618u, 1u}) {
    machine.processes.AddProgram(Exe(installer, ""), {.exitCode = code});
    const InstallerReport report = Report(installer, "", "");
    EXPECT_EQ(report.ended, Ended::Exited) << code;
    EXPECT_EQ(report.exitCode, static_cast<std::int32_t>(code));
  }
  EXPECT_EQ(machine.processes.RunCount(), 4u) << "1618 is run once when the row does not wait";
  const std::string notStartable = kit.Put("Prerequisites\\broken.exe");
  EXPECT_EQ(Report(notStartable, "", "").ended, Ended::NotStarted) << "a program that cannot be started";
  EXPECT_THAT(window.Messages(), IsEmpty());
  ExpectCleanedUp();

  window.AnswerMessages({MessageAnswer::Cancel});
  EXPECT_EQ(Report(kit.Path("Prerequisites\\missing.exe"), "", "").ended, Ended::Cancelled);
}

TEST_F(RunPackageTest, AnotherInstallationIsWaitedForTenTriesThirtySecondsApart) {
  const std::string installer = kit.Put("Prerequisites\\setup.exe");
  int runs = 0;
  // Windows is free after the second try: the next pause lets the third one succeed.
  machine.processes.AddProgram(Exe(installer, "/q"),
                               {.exitCode = 1618, .onExit = [&] {
                                  if (++runs < 2) return;
                                  window.AtNextPump([&] { machine.processes.AddProgram(Exe(installer, "/q"), {}); });
                                }});
  const auto start = machine.network.Clock()();
  const InstallerReport report = Report(installer, "/q", "", "", true);
  EXPECT_EQ(report.exitCode, 0) << "the third try found Windows free";
  EXPECT_EQ(machine.network.Clock()() - start, 2 * PackageRunner::kBusyPause);
  EXPECT_THAT(window.Log(), ::testing::Contains("progress: " + FormatText(LoadMessage(141), kName)));
  EXPECT_THAT(machine.log.Events(), ::testing::Contains("package " + kName +
                                                        ": another installation is running (exit code 1618); try 3 of "
                                                        "10 in 30 s"));

  machine.processes.AddProgram(Exe(installer, "/q"), {.exitCode = 1618});
  EXPECT_EQ(Report(installer, "/q", "", "", true).exitCode, 1618) << "given up after ten tries";
  EXPECT_EQ(machine.processes.RunCount(), 3u + PackageRunner::kBusyTries);
  ExpectCleanedUp();
}

TEST_F(RunPackageTest, PackagesRunByTheLastThreeLettersOfTheirPath) {
  const std::string msi = kit.Put("Setup\\Kelvano.MSI");
  const std::string exe = kit.Put("Setup\\SETUP.Exe");
  const std::string other = kit.Put("Setup\\setup.bat");
  // Windows Installer by full path from the system folder, with the blank after the
  // package's quote even without arguments.
  const std::string msiexec = "\"C:\\Windows\\system32\\msiexec.exe\" /package \"" + msi + "\" ";
  machine.processes.AddProgram(msiexec, {});
  machine.processes.AddProgram(Exe(exe, "/S"), {});
  EXPECT_TRUE(Run(msi, "", ""));
  EXPECT_TRUE(Run(exe, "/S", ""));
  EXPECT_FALSE(Run(other, "/S", ""));
  ASSERT_EQ(machine.processes.Starts().size(), 2u) << "a .bat is not run";
  EXPECT_EQ(machine.processes.Starts()[0].commandLine, msiexec);
  EXPECT_THAT(window.Messages(), IsEmpty());
}

TEST_F(RunPackageTest, MissingInstallerIsReportedUntilItIsCopiedInPlace) {
  const std::string installer = kit.Path("Tools\\VelmoraSupport.exe");
  machine.processes.AddProgram(Exe(installer, ""), {});
  EXPECT_FALSE(Run(installer, "", ""));
  const std::string missing = FormatText(LoadMessage(110), installer);
  EXPECT_THAT(Messages(), ElementsAre(Failure(false, missing)));
  EXPECT_EQ(window.Messages()[0].icon, MessageIcon::Error);
  EXPECT_EQ(window.Messages()[0].buttons, MessageButtons::RetryCancel);
  EXPECT_EQ(window.Messages()[0].caption, "Setup");
  ExpectCleanedUp();

  // A description of one field is no download: the box is 111, and nothing is fetched.
  EXPECT_FALSE(Run(installer, "", "http://kit.example/support.exe"));
  EXPECT_EQ(Messages().back(), Failure(true, missing));
  EXPECT_THAT(machine.network.Started(), IsEmpty());

  window.WhileMessageShown([&](const MessageBoxRequest&) { kit.Put("Tools\\VelmoraSupport.exe"); });
  window.AnswerMessages({MessageAnswer::Retry});
  EXPECT_TRUE(Run(installer, "", "")) << "Retry looks for the installer again";
}

TEST_F(RunPackageTest, DownloadedInstallerRunsFromTempWithItsTokensReplacedAndIsDeleted) {
  const std::string url = "http://kit.example/[PRODUCT]/[PRODUCT]-[PRODUCTVERSION]/net48.exe?n=[product]";
  const std::string served = "http://kit.example/Kelvano/Kelvano-2.1.0/net48.exe?n=[product]";
  machine.network.Serve(served, "MZ installer");
  const std::string downloaded = temp / "net48.exe";
  std::string seenByTheInstaller;
  machine.processes.AddProgram(Exe(downloaded, "/q"), {.onExit = [&] { seenByTheInstaller = temp.Read("net48.exe"); }});

  EXPECT_TRUE(Run(kit.Path("Prerequisites\\dotnetfx48setup.exe"), "/q", url + "|net48.exe|False"));
  EXPECT_THAT(machine.network.Started(), ElementsAre(served));
  EXPECT_EQ(seenByTheInstaller, "MZ installer");
  EXPECT_EQ(machine.processes.Starts()[0].currentDirectory, temp.Path());
  EXPECT_THAT(window.PageSwitches(),
              ElementsAre(RecordingRunState::PageSwitch{true, FormatText(LoadMessage(106), kName)},
                          RecordingRunState::PageSwitch{true, FormatText(LoadMessage(109), kName)},
                          RecordingRunState::PageSwitch{false, ""}));
  ExpectCleanedUp();
}

TEST_F(RunPackageTest, ArchiveIsExtractedUnderTempAndEverythingIsRemovedAfterwards) {
  const std::string archive = ZipBuilder().Add(ZipMember::Stored("bin/setup.exe", "MZ")).Build();
  machine.network.Serve("http://kit.example/net48.zip", archive);
  const std::string description = "http://kit.example/net48.zip|net48.zip|True|";
  bool extracted = false;
  machine.processes.AddProgram(Exe(Extracted("bin\\setup.exe"), ""),
                               {.onExit = [&] { extracted = FileExists(Extracted("bin\\setup.exe")); }});
  temp.Write("VLMInstaller\\Old\\left.exe", "a killed run's");
  EXPECT_TRUE(Run(kit.Path("none.exe"), "", description + "bin/setup.exe"));
  EXPECT_TRUE(extracted);
  EXPECT_THAT(machine.log.Events(),
              ::testing::Contains("removes what an earlier run left in " + PathJoin(temp.Path(), "VLMInstaller")));
  EXPECT_THAT(window.Log(), ::testing::Contains(Step(107)));
  ExpectCleanedUp();

  // An installer that the archive lacks: its joined path in the box, then nothing left.
  EXPECT_FALSE(Run(kit.Path("none.exe"), "", description + "setup.exe"));
  EXPECT_THAT(Messages(), ElementsAre(Failure(true, FormatText(LoadMessage(110), Extracted("setup.exe")))));
  ExpectCleanedUp();
}

TEST_F(RunPackageTest, RetryDownloadsAgainWithTheSameAddressAfterAFailedOrBrokenDownload) {
  const std::string url = "http://kit.example/net48.zip";
  const std::string archive = ZipBuilder().Add(ZipMember::Stored("setup.exe", "MZ")).Build();
  machine.network.Refuse(url);
  machine.processes.AddProgram(Exe(Extracted("setup.exe"), ""), {});
  int shown = 0;
  window.WhileMessageShown([&](const MessageBoxRequest&) {
    // The network comes back with a truncated archive, then with the whole one.
    machine.network.Serve(url, ++shown == 1 ? archive.substr(0, 20) : archive);
  });
  window.AnswerMessages({MessageAnswer::Retry, MessageAnswer::Retry});
  EXPECT_TRUE(Run(kit.Path("none.exe"), "", url + "|net48.zip|1|setup.exe"));
  EXPECT_THAT(Messages(),
              ElementsAre(Failure(true, FormatText(LoadMessage(128), url)), Failure(true, LoadMessage(108))));
  EXPECT_THAT(machine.log.Events(), ::testing::Contains(HasSubstr("extraction failed: Unknown header")))
      << "the log says what the box does not";
  // The refusal is tried again three times on its own before the box asks.
  EXPECT_THAT(machine.network.Started(), ElementsAre(url, url, url, url, url, url));
  ExpectCleanedUp();
}

TEST_F(RunPackageTest, MalformedDescriptionsFailTheirPackageAndWriteNothing) {
  machine.network.Serve("http://kit.example/a.exe", "MZ");
  // Field 2 is checked before anything is fetched.
  for (const std::string name : {"..\\a.exe", "C:\\a.exe", "sub/a.exe", "CON", "", "."}) {
    EXPECT_FALSE(Run(kit.Path("none.exe"), "", "http://kit.example/a.exe|" + name + "|False")) << name;
    EXPECT_THAT(Messages().back(), HasSubstr("is not a plain file name")) << name;
  }
  EXPECT_THAT(machine.network.Started(), IsEmpty());
  // Fields 3 and 4 are read once the file is here.
  const std::pair<std::string, std::string> later[] = {
      {"a.exe", "field 3 (the archive flag) is missing"},
      {"a.exe|maybe", "\"maybe\" is neither True, False nor a number"},
      {"a.exe|True", "field 4 (the installer inside the archive) is missing"},
      {"a.exe|True|..\\..\\evil.exe", "is not a path inside the archive"},
      {"a.exe|True|\\evil.exe", "is not a path inside the archive"},
      {"a.exe|True|C:\\evil.exe", "is not a path inside the archive"},
  };
  for (const auto& [fields, complaint] : later) {
    EXPECT_FALSE(Run(kit.Path("none.exe"), "", "http://kit.example/a.exe|" + fields)) << fields;
    EXPECT_THAT(Messages().back(), HasSubstr(complaint));
  }
  EXPECT_THAT(machine.processes.Starts(), IsEmpty());
  ExpectCleanedUp();
}

TEST_F(RunPackageTest, AHashInFieldFiveAcceptsTheFileMeantAndRefusesAnyOther) {
  const std::string url = "http://kit.example/a.exe";
  machine.network.Serve(url, "abc");
  machine.processes.AddProgram(Exe(temp / "a.exe", ""), {});
  const std::string sha256 = "BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD";  // of "abc"
  EXPECT_TRUE(Run(kit.Path("none.exe"), "", url + "|a.exe|False||" + sha256));
  EXPECT_TRUE(Run(kit.Path("none.exe"), "", url + "|a.exe|False||"));
  EXPECT_EQ(machine.processes.Starts().size(), 2u);

  machine.network.Serve(url, "abd");  // tampered with on the way
  EXPECT_FALSE(Run(kit.Path("none.exe"), "", url + "|a.exe|False||" + sha256));
  EXPECT_THAT(Messages(), ElementsAre(Failure(true, FormatText(LoadMessage(128), url))));
  EXPECT_FALSE(Run(kit.Path("none.exe"), "", url + "|a.exe|False||abc"));
  EXPECT_THAT(Messages().back(), HasSubstr("is not 64 hexadecimal digits"));
  EXPECT_EQ(machine.processes.Starts().size(), 2u) << "nothing ran";
  ExpectCleanedUp();
}

TEST_F(RunPackageTest, EarlierVersionIsRemovedFirstAndItsFailureCanBeRetried) {
  const std::string installer = kit.Put("Setup\\Setup.exe");
  machine.processes.AddProgram(Exe(installer, "/S"), {});
  removal.failures = 1;
  window.AnswerMessages({MessageAnswer::Retry});
  EXPECT_TRUE(Run(installer, "/S", "", "{PRODUCT-CODE}"));
  EXPECT_THAT(removal.codes, ElementsAre("{PRODUCT-CODE}", "{PRODUCT-CODE}"));
  EXPECT_THAT(Messages(), ElementsAre(Failure(false, "Tipo non supportato.")));

  removal.answer = false;
  EXPECT_TRUE(Run(installer, "/S", "", "{PRODUCT-CODE}")) << "the runner's result stays true";
  EXPECT_EQ(machine.processes.Starts().size(), 1u) << "but the package does not run";
}

TEST_F(RunPackageTest, WithoutTempTheSystemsTemporaryFolderIsUsed) {
  TempFolder system;
  machine.system.Staged().environment["TEMP"] = "";
  machine.system.Staged().tempPath = system.Path() + "\\";
  machine.network.Serve("http://kit.example/a.exe", "MZ");
  machine.processes.AddProgram(Exe(system / "a.exe", ""), {});
  EXPECT_TRUE(Run(kit.Path("none.exe"), "", "http://kit.example/a.exe|a.exe|False"));
  EXPECT_THAT(system.Contents(), IsEmpty());
}

}  // namespace
}  // namespace kelvano::test
