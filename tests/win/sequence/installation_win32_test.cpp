// Whole runs on Wine's real machine, from the stand-in kit: the frameworks' detection
// values, a real SQL Server service, the product as a real MSI, and a recording netsh in
// the folder the 32-bit setup starts it from. The runs build on each other, as on a
// card room's machine: a Server, then a Client over it, then a Server whose SQL service
// will not start until after a restart.
#include <windows.h>
#include <shlwapi.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "packages/prerequisite_detection.h"
#include "packages/win32/win32_machine.h"
#include "sequence/installation_sequence.h"
#include "startup/format_text.h"
#include "startup/messages.h"
#include "startup/path_helpers.h"
#include "system/mod_services.h"
#include "system/registry_manager.h"
#include "system/text_encoding.h"
#include "system/win32/wide_text.h"
#include "tests/support/recording_run_state.h"
#include "tests/support/staged_kit.h"
#include "tests/support/win32/run_program.h"
#include "tests/win/system/wine_test_helpers.h"

namespace kelvano::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

constexpr char kProductKey[] = "SOFTWARE\\Kelvano";
constexpr char kRunOnce[] = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
constexpr char kSettings[] =
    "PRODUCT=Kelvano\r\nPRODUCTCODE={6A1F3C2E-8B4D-4E7A-9C5B-2D3E4F5A6B7C}\r\nSERVER=KELVANO\r\nAPIPORT=8080\r\n"
    "NETWORK=LAN1\r\n";
const std::wstring kNetsh = L"C:\\windows\\system32\\netsh.exe";

void DeleteService(const wchar_t* name) {
  SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
  if (manager == nullptr) return;
  if (SC_HANDLE service = OpenServiceW(manager, name, SERVICE_ALL_ACCESS)) {
    SERVICE_STATUS status = {};
    ControlService(service, SERVICE_CONTROL_STOP, &status);
    ::DeleteService(service);
    CloseServiceHandle(service);
  }
  CloseServiceHandle(manager);
}

void RunAndWait(std::wstring commandLine) { RunProgram(std::move(commandLine), nullptr, 60000); }

class WineInstallation : public ::testing::Test {
 protected:
  // The recording netsh where the setup starts netsh (system32 as this process sees it:
  // syswow64 under WOW64), preferred to Wine's builtin one; put back afterwards.
  static void SetUpTestSuite() {
    // Other tests of the prefix may have installed the product: the first run here is on
    // a machine without it, its SQL Server instance and its keys.
    DeleteService(L"MSSQL$KELVANO");
    RunAndWait(L"\"C:\\windows\\system32\\msiexec.exe\" /qn /x{6A1F3C2E-8B4D-4E7A-9C5B-2D3E4F5A6B7C}");
    HKEY software = nullptr;  // where the setup writes the product's key: the 32-bit view
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE", 0, KEY_ALL_ACCESS | KEY_WOW64_32KEY, &software) == 0) {
      SHDeleteKeyW(software, L"Kelvano");
      RegCloseKey(software);
    }
    CopyFileW(kNetsh.c_str(), (kNetsh + L".original").c_str(), FALSE);
    ASSERT_TRUE(CopyFileW(Widen(Environment(L"KELVANO_STANDIN_NETSH")).c_str(), kNetsh.c_str(), FALSE));
    HKEY overrides = nullptr;
    RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Wine\\DllOverrides", 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                    &overrides, nullptr);
    RegSetValueExW(overrides, L"netsh.exe", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"native"), 14);
    RegCloseKey(overrides);
  }
  static void TearDownTestSuite() {
    CopyFileW((kNetsh + L".original").c_str(), kNetsh.c_str(), FALSE);
    DeleteFileW((kNetsh + L".original").c_str());
    HKEY overrides = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Wine\\DllOverrides", 0, KEY_SET_VALUE, &overrides) == 0) {
      RegDeleteValueW(overrides, L"netsh.exe");
      RegCloseKey(overrides);
    }
  }

  WineInstallation() {
    std::filesystem::copy(std::filesystem::path(Widen(Environment(L"KELVANO_STANDIN_KIT"))),
                          std::filesystem::path(Widen(kit.folder.Path())), std::filesystem::copy_options::recursive);
    SetEnvironmentVariableW(L"KELVANO_STANDIN_LOG", Widen(logs / "standins.log").c_str());
  }
  ~WineInstallation() override {
    SetEnvironmentVariableW(L"KELVANO_STANDIN_SQL", nullptr);
    EXPECT_THAT(temp.Contents(), IsEmpty());
  }

  InstallationOutcome Run(SetupOption option) {
    InstallationSequence sequence(kit.Context(), machine.Seams(), window, kit.Path("Setup.exe"));
    return sequence.RunInstallation(static_cast<int>(option));
  }
  // The arguments of every netsh command recorded by this test.
  std::vector<std::string> NetshCommands() {
    std::vector<std::string> commands;
    std::istringstream log(logs.Read("standins.log"));
    const std::string netsh = Quoted(Narrow(kNetsh)) + " ";
    for (std::string line; std::getline(log, line);) {
      if (line.compare(0, 3, "\xEF\xBB\xBF") == 0) line.erase(0, 3);
      if (EqualsIgnoreAsciiCase(line.substr(0, netsh.size()), netsh)) {
        commands.push_back(line.substr(netsh.size(), line.rfind('|') - netsh.size()));
      }
    }
    return commands;
  }
  std::string ProductValue(const char* name) {
    return RegistryValueToText(
        RegistryManager(machine.Seams().registry).GetRegistryValue(registry::kLocalMachine, kProductKey, name));
  }
  std::string Message(int number) { return FormatText(LoadMessage(number), "Kelvano"); }
  ServiceState SqlService() { return ModServices(machine.Seams().services).GetServiceStatus("MSSQL$KELVANO", ""); }
  static std::string SqlServerProgram() {
    return std::string("C:\\Program Files\\Microsoft SQL Server\\") +
           (OnSixtyFourBitWindows() ? "MSSQL14" : "MSSQL10") + ".KELVANO\\MSSQL\\binn\\sqlservr.exe";
  }

  TempFolder temp, logs;
  TempVariable tempVariable{temp.Path()};
  Win32Machine machine;
  StagedKit kit{machine.Seams().registry, kSettings};
  RecordingRunState window;
};

TEST_F(WineInstallation, ServerOnAFreshMachine) {
  EXPECT_EQ(Run(SetupOption::Server), InstallationOutcome::Completed);
  EXPECT_EQ(window.Messages().size(), 1u);
  EXPECT_EQ(window.Messages().back().text, FormatText(LoadMessage(101)));

  PrerequisiteDetection detection(kit.Context(), machine.Seams(), window);
  EXPECT_TRUE(detection.IsDotNet35Sp1Installed());
  EXPECT_TRUE(detection.IsDotNet48Installed());
  const ServiceState sql = SqlService();
  EXPECT_TRUE(sql == ServiceState::Running || sql == ServiceState::Starting) << static_cast<int>(sql);
  EXPECT_EQ(ProductValue("SetupType"), "Server");
  EXPECT_EQ(ProductValue("Network"), "LAN1");
  EXPECT_TRUE(FileExists(ProductValue("")));
  EXPECT_THAT(NetshCommands(),
              ElementsAre("advfirewall firewall add rule name=KelvanoSQL program=" + Quoted(SqlServerProgram()) +
                              " enable=yes dir=in profile=any action=allow",
                          "advfirewall firewall add rule name=SQLServerBrowser protocol=UDP localport=1434 enable=yes "
                          "dir=in profile=any action=allow",
                          "advfirewall firewall add rule program=" + Quoted(ProductValue("")) +
                              " name=Kelvano enable=yes dir=in profile=any action=allow",
                          "http add urlacl url=http://+:8080/ user=everyone"));
}

TEST_F(WineInstallation, ClientOverTheServerReplacesTheProductAndLeavesSqlServerAlone) {
  window.AnswerMessages({MessageAnswer::Yes, MessageAnswer::Ok});  // 118: another setup type
  EXPECT_EQ(Run(SetupOption::Client), InstallationOutcome::Completed);
  EXPECT_EQ(window.Messages().front().text, FormatText(LoadMessage(118)));
  EXPECT_EQ(ProductValue("SetupType"), "Client");
  const std::string folder = ParentFolder(ProductValue(""));
  EXPECT_TRUE(FileExists(folder + "\\Client.txt"));
  EXPECT_FALSE(FileExists(folder + "\\Database.txt")) << "the earlier version was removed first";
  EXPECT_THAT(NetshCommands(), IsEmpty());
  EXPECT_EQ(ProductValue("Network"), "LAN1");
}

TEST_F(WineInstallation, ServerWhoseSqlServiceWillNotStartResumesAfterTheRestart) {
  DeleteService(L"MSSQL$KELVANO");
  SetEnvironmentVariableW(L"KELVANO_STANDIN_SQL", L"broken");
  window.AnswerMessages({MessageAnswer::Yes, MessageAnswer::No});  // 118, then 125: no restart now
  EXPECT_EQ(Run(SetupOption::Server), InstallationOutcome::RestartPending);
  EXPECT_EQ(window.Messages().back().text, Message(125));
  RegistryManager registry(machine.Seams().registry);
  EXPECT_EQ(RegistryValueToText(registry.GetRegistryValue(registry::kCurrentUser, kRunOnce, "Kelvano Setup")),
            Quoted(kit.Path("Setup.EXE")) + " /resume /S /v\"/qn ADDLOCAL=ALL REMOVE=Kelvano_Client\"");
  EXPECT_EQ(ProductValue("SetupType"), "Client") << "the product waits for the run after the restart";

  // The run after the restart finds the instance and goes on with the product.
  window.AnswerMessages({MessageAnswer::Yes, MessageAnswer::Ok});
  EXPECT_EQ(Run(SetupOption::Server), InstallationOutcome::Completed);
  EXPECT_EQ(ProductValue("SetupType"), "Server");
  EXPECT_THAT(NetshCommands(), ElementsAre(HasSubstr("name=Kelvano enable=yes"), HasSubstr("http add urlacl")))
      << "no SQL rules for an instance that was already there";

  registry.DeleteValue(registry::kCurrentUser, kRunOnce, "Kelvano Setup");
  DeleteService(L"MSSQL$KELVANO");
}

}  // namespace
}  // namespace kelvano::test
