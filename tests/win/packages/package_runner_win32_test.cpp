// Packages on Wine's real machine: a Windows Installer package installed with Wine's
// msiexec and removed again, a zip from the local HTTP server downloaded, extracted and
// run, a kit on disk reached by a file: address, the Retry box, and the SQL Server row
// of each Windows bitness. TEMP is the test's own folder, empty after every package.
#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "packages/prerequisite_catalogue.h"
#include "packages/win32/win32_machine.h"
#include "sequence/earlier_version_remover.h"
#include "startup/format_text.h"
#include "startup/messages.h"
#include "startup/path_helpers.h"
#include "system/registry_manager.h"
#include "system/win32/wide_text.h"
#include "tests/support/recording_run_state.h"
#include "tests/support/staged_kit.h"
#include "tests/support/zip_builder.h"
#include "tests/win/system/wine_test_helpers.h"

namespace kelvano::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::StartsWith;

constexpr char kProductCode[] = "{B7F5E8A2-1C3D-4E5F-8A9B-0C1D2E3F4A5B}";

std::string FileContent(const std::string& path) {
  std::ifstream file(Widen(path).c_str(), std::ios::binary);
  std::ostringstream content;
  content << file.rdbuf();
  return content.str();
}

void WriteFile(const std::string& path, const std::string& content) {
  std::ofstream file(Widen(path).c_str(), std::ios::binary);
  file << content;
}

std::string Expand(const wchar_t* text) {
  wchar_t expanded[MAX_PATH] = {};
  ExpandEnvironmentStringsW(text, expanded, MAX_PATH);
  return Narrow(expanded);
}

DWORD HandleCount() {
  DWORD count = 0;
  GetProcessHandleCount(GetCurrentProcess(), &count);
  return count;
}

class WinePackages : public ::testing::Test {
 protected:
  WinePackages() {
    SetEnvironmentVariableW(L"KELVANO_INSTALLER_LOG", Widen(logs / "installers.log").c_str());
    SetEnvironmentVariableW(L"KELVANO_INSTALLER_EXIT", nullptr);
    // The waits before a download is tried again pass at once: the machine's clock jumps.
    machine.Seams().clock = [this] { return std::chrono::steady_clock::now() + skipped_; };
    machine.Seams().sleep = [this](std::chrono::milliseconds wait) { skipped_ += wait; };
  }
  ~WinePackages() override { EXPECT_THAT(temp.Contents(), IsEmpty()) << "a package left files under TEMP"; }

  bool Run(const std::string& name, const std::string& installer, const std::string& arguments,
           const std::string& description, const std::string& code = "") {
    const InstallerReport report = PackageRunner(kit.Context(), machine.Seams(), window, removal)
                                       .RunPackage({name, installer, arguments, description, code});
    return report.ended == InstallerReport::Ended::Exited && report.exitCode == 0;
  }
  // What the stand-in installers wrote: "command line|working folder" per run.
  std::vector<std::string> Installers() {
    std::vector<std::string> lines;
    std::istringstream text(logs.Read("installers.log"));
    for (std::string line; std::getline(text, line);) {
      if (line.compare(0, 3, "\xEF\xBB\xBF") == 0) line.erase(0, 3);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (!line.empty()) lines.push_back(line);
    }
    return lines;
  }
  std::string StandIn() const { return FileContent(BesideTest("kelvano_test_installer.exe")); }
  static std::string Served(const std::string& path) {
    return "http://127.0.0.1:" + Environment(L"KELVANO_TEST_HTTP_PORT") + path;
  }

  std::chrono::milliseconds skipped_{0};
  TempFolder temp, logs;
  TempVariable tempVariable{temp.Path()};
  Win32Machine machine;
  StagedKit kit{machine.Seams().registry, "PRODUCT=KelvanoPackageTest\r\nSERVER=KELVANOTEST\r\n"};
  RecordingRunState window;
  EarlierVersionRemover removal{kit.Context(), machine.Seams(), window};
};

TEST_F(WinePackages, AnMsiOfTheKitIsInstalledByTheRealMsiexecAndItsEarlierVersionRemoved) {
  const std::string msi = kit.Put("Setup\\KelvanoPackageTest.msi", FileContent(BesideTest("KelvanoPackageTest.msi")));
  // An x86 package installs into the 32-bit programs' folder, a 32-bit process's %ProgramFiles%.
  const std::string installed = Expand(sizeof(void*) == 8 ? L"%ProgramFiles(x86)%\\KelvanoPackageTest\\readme.txt"
                                                          : L"%ProgramFiles%\\KelvanoPackageTest\\readme.txt");
  const std::string uninstallKey =
      std::string("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\") + kProductCode;
  RegistryManager registry(machine.Seams().registry);

  ASSERT_TRUE(Run("KelvanoPackageTest", msi, "ADDLOCAL=ALL", ""));
  EXPECT_TRUE(FileExists(installed)) << installed;
  EXPECT_TRUE(registry.CheckRegistryKey(registry::kLocalMachine, uninstallKey));
  EXPECT_TRUE(kit.Context().ProductKeyExists());
  EXPECT_THAT(Installers(), IsEmpty()) << "the msiexec.exe planted beside the program never runs";

  EXPECT_TRUE(removal.RemoveEarlierVersion(kProductCode));
  EXPECT_FALSE(FileExists(installed));
  EXPECT_FALSE(registry.CheckRegistryKey(registry::kLocalMachine, uninstallKey));
  EXPECT_FALSE(kit.Context().ProductKeyExists());
  EXPECT_THAT(window.Log(), ::testing::Contains("progress: " + FormatText(LoadMessage(135), "KelvanoPackageTest")));
}

TEST_F(WinePackages, AZipFromTheServerIsDownloadedExtractedRunAndRemoved) {
  WriteFile(PathJoin(Environment(L"KELVANO_TEST_HTTP_FILES"), "net.zip"),
            ZipBuilder().Add(ZipMember::Stored("bin/setup.exe", StandIn())).Build());
  const std::string description = Served("/file/net.zip") + "|net.zip|True|bin\\setup.exe";
  const std::string extracted = PathJoin(temp.Path(), "VLMInstaller\\Net Framework\\bin");

  EXPECT_TRUE(Run("Net Framework", kit.Path("Prerequisites\\none.exe"), "/q", description));
  EXPECT_THAT(Installers(), ElementsAre(Quoted(extracted + "\\setup.exe") + " /q|" + extracted));
  SetEnvironmentVariableW(L"KELVANO_INSTALLER_EXIT", L"3010");
  EXPECT_FALSE(Run("Net Framework", kit.Path("Prerequisites\\none.exe"), "/q", description));
  EXPECT_THAT(window.Messages(), IsEmpty()) << "an exit code is no error";
}

TEST_F(WinePackages, AKitOnDiskIsReachedByAFileAddressAndLeavesNoHandleOpen) {
  const std::string tool = kit.Put("share\\Velmora Support.exe", StandIn());
  std::string url = "file:///" + tool;
  std::replace(url.begin(), url.end(), '\\', '/');
  const std::string description = url + "|support.exe|False";
  ASSERT_TRUE(Run("Quick Support", kit.Path("Tools\\VelmoraSupport.exe"), "", description));  // the first loads DLLs
  const DWORD before = HandleCount();
  ASSERT_TRUE(Run("Quick Support", kit.Path("Tools\\VelmoraSupport.exe"), "", description));
  EXPECT_EQ(HandleCount(), before);
  EXPECT_THAT(Installers().back(), StartsWith(Quoted(temp / "support.exe") + " |"));
  EXPECT_TRUE(FileExists(tool)) << "the kit's own copy stays";
}

TEST_F(WinePackages, AnFtpAddressIsDownloadedOrFailsWithTheDownloadError) {
  WriteFile(PathJoin(Environment(L"KELVANO_TEST_HTTP_FILES"), "tool.exe"), StandIn());
  const std::string server = "ftp://127.0.0.1:" + Environment(L"KELVANO_TEST_FTP_PORT");
  EXPECT_TRUE(Run("Quick Support", kit.Path("Tools\\VelmoraSupport.exe"), "", server + "/tool.exe|tool.exe|False"));
  EXPECT_THAT(Installers(), ElementsAre(StartsWith(Quoted(temp / "tool.exe"))));

  EXPECT_FALSE(Run("Quick Support", kit.Path("Tools\\VelmoraSupport.exe"), "", server + "/missing.exe|m.exe|False"));
  ASSERT_EQ(window.Messages().size(), 1u);
  EXPECT_EQ(window.Messages()[0].text,
            FormatText(LoadMessage(111), "Quick Support", FormatText(LoadMessage(128), server + "/missing.exe")));
}

TEST_F(WinePackages, TheRetryBoxIsAnsweredAndAFailedDownloadLeavesNothing) {
  const std::string url = "http://127.0.0.1:" + Environment(L"KELVANO_TEST_REFUSED_PORT") + "/x.exe";
  window.AnswerMessages({MessageAnswer::Retry, MessageAnswer::Cancel});
  EXPECT_FALSE(Run("Quick Support", kit.Path("Tools\\VelmoraSupport.exe"), "", url + "|x.exe|False"));
  const std::string box = FormatText(LoadMessage(111), "Quick Support", FormatText(LoadMessage(128), url));
  ASSERT_EQ(window.Messages().size(), 2u);
  EXPECT_EQ(window.Messages()[0].text, box);
  EXPECT_EQ(window.Messages()[1].text, box);
}

TEST_F(WinePackages, SqlServerRowFollowsTheBitnessOfWindows) {
  kit.Put("Prerequisites\\SQLEXPR_2017_ENU.EXE", StandIn());
  kit.Put("Prerequisites\\SQLEXPR_x86_ITA.EXE", StandIn());
  PrerequisiteDetection detection(kit.Context(), machine.Seams(), window);
  PackageRunner runner(kit.Context(), machine.Seams(), window, removal);
  PrerequisiteCatalogue catalogue(kit.Context(), machine.Seams(), window, runner, detection);
  EXPECT_EQ(catalogue.InstallSqlServer(), PackageOutcome::Failed) << "the stand-in makes no instance";

  const std::string installer =
      catalogue.InstallerPath(OnSixtyFourBitWindows() ? kit_package::kSql2017 : kit_package::kSql2008);
  const std::vector<std::string> runs = Installers();
  ASSERT_EQ(runs.size(), 2u) << "a silent attempt, then one with setup's interface";
  EXPECT_THAT(runs[0], StartsWith(Quoted(installer) + " /Q /IACCEPTSQLSERVERLICENSETERMS"));
  EXPECT_THAT(runs[1], StartsWith(Quoted(installer) + " /IACCEPTSQLSERVERLICENSETERMS"));
  EXPECT_THAT(runs[0], HasSubstr("/SQLSVCACCOUNT=\"NT AUTHORITY\\LOCAL SERVICE\" /ADDCURRENTUSERASSQLADMIN "
                                 "/INSTANCENAME=\"KELVANOTEST\""));
}

}  // namespace
}  // namespace kelvano::test
