// The netsh commands of a Server installation, in the dialect of each Windows.
#include "packages/firewall.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>

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

constexpr char kNetsh[] = "\"C:\\Windows\\system32\\netsh.exe\" ";

class FirewallTest : public ::testing::Test {
 protected:
  FirewallTest() {
    // Where SQL Server and the product register their programs, with the files there.
    sqlFolder = programs.Path() + "\\new\\MSSQL";
    programs.Write("new/MSSQL/binn/sqlservr.exe", "MZ");
    programs.Write("tools/Kelvano.exe", "MZ");
    machine.SetValue(registry::kLocalMachine, "SOFTWARE\\Kelvano Club", "", programs.Path() + "\\tools\\Kelvano.exe");
  }
  Firewall Make() { return Firewall(kit.Context(), machine.Seams(), window); }
  void RegisterSqlPath(const std::string& key, std::uint32_t view = 0) {
    machine.SetValue(registry::kLocalMachine, "SOFTWARE\\Microsoft\\Microsoft SQL Server\\" + key + "\\Setup",
                     "SQLPath", sqlFolder, view);
  }
  std::vector<std::string> Commands() {
    std::vector<std::string> lines;
    for (const auto& start : machine.processes.Starts()) {
      EXPECT_EQ(start.currentDirectory, "C:\\Windows\\system32");
      lines.push_back(start.commandLine.substr(0, sizeof kNetsh - 1) == kNetsh
                          ? start.commandLine.substr(sizeof kNetsh - 1)
                          : "not netsh from the system folder: " + start.commandLine);
    }
    return lines;
  }
  std::string Sql() { return Quoted(sqlFolder + "\\binn\\sqlservr.exe"); }
  std::string Product() { return Quoted(programs.Path() + "\\tools\\Kelvano.exe"); }

  TempFolder programs;
  std::string sqlFolder;
  StagedMachine machine;
  StagedKit kit{machine.registry, "PRODUCT=Kelvano Club\r\nSERVER=KELVANO\r\nAPIPORT=8080\r\n"};
  RecordingRunState window;
};

TEST_F(FirewallTest, WindowsXpGetsTheTwoFirewallCommandsAndNoUrlReservation) {
  machine.system.Staged() = MemorySystemInfo::WindowsXp();
  machine.system.Staged().systemFolder = "C:\\Windows\\system32";
  RegisterSqlPath("KELVANO");
  EXPECT_TRUE(Make().ConfigureSqlFirewall());
  EXPECT_TRUE(Make().ConfigureProductFirewall());
  EXPECT_THAT(
      Commands(),
      ElementsAre(
          "firewall add allowedprogram program=" + Sql() + " name=Kelvano ClubSQL mode=ENABLE scope=ALL profile=ALL",
          "firewall add allowedprogram protocol=UDP port=1434 name=SQLServerBrowser mode=ENABLE "
          "scope=ALL profile=ALL",
          "firewall add allowedprogram program=" + Product() + " name=Kelvano Club mode=ENABLE scope=ALL profile=ALL"));
}

TEST_F(FirewallTest, WindowsTenGetsAdvfirewallRulesThenTheUrlReservationOfTheApiPort) {
  machine.system.Staged().version.majorVersion = 10;
  // SQL Server 2017 registers its instance by id, in the 64-bit view only.
  machine.SetValue(registry::kLocalMachine, "SOFTWARE\\Microsoft\\Microsoft SQL Server\\Instance Names\\SQL", "KELVANO",
                   std::string("MSSQL14.KELVANO"), registry::kView64);
  RegisterSqlPath("MSSQL14.KELVANO", registry::kView64);
  EXPECT_TRUE(Make().ConfigureSqlFirewall());
  EXPECT_TRUE(Make().ConfigureProductFirewall());
  EXPECT_THAT(Commands(),
              ElementsAre("advfirewall firewall add rule name=Kelvano ClubSQL program=" + Sql() +
                              " enable=yes dir=in profile=any action=allow",
                          "advfirewall firewall add rule name=SQLServerBrowser protocol=UDP localport=1434 enable=yes "
                          "dir=in profile=any action=allow",
                          "advfirewall firewall add rule program=" + Product() +
                              " name=Kelvano Club enable=yes dir=in profile=any action=allow",
                          "http add urlacl url=http://+:8080/ user=everyone"));
  for (const auto& start : machine.processes.Starts()) EXPECT_EQ(start.creationFlags, 0x20000u);
}

TEST_F(FirewallTest, AnApiPortThatIsNoPortGetsNoUrlReservationAndTheLogSaysWhy) {
  machine.system.Staged().version.majorVersion = 10;
  for (const char* apiPort : {"", "APIPORT=0\r\n", "APIPORT=-80\r\n"}) {
    kit.Reload(std::string("PRODUCT=Kelvano Club\r\n") + apiPort);
    EXPECT_TRUE(Make().ConfigureProductFirewall());
  }
  for (const std::string& command : Commands()) EXPECT_EQ(command.find("urlacl"), std::string::npos) << command;
  EXPECT_EQ(Commands().size(), 3u) << "the product's rule each time";
  EXPECT_THAT(machine.log.Events(), Contains("URL reservation skipped: ApiPort -80 is no port (1 to 32767)"));
}

TEST_F(FirewallTest, NoRuleWithoutTheProgramsOnDiskOrOnWindowsNt4) {
  EXPECT_FALSE(Make().ConfigureSqlFirewall()) << "SQL Server registered nothing";
  RegisterSqlPath("MSSQL14.KELVANO", registry::kView64);
  machine.SetValue(registry::kLocalMachine, "SOFTWARE\\Microsoft\\Microsoft SQL Server\\Instance Names\\SQL", "KELVANO",
                   std::string("MSSQL14.KELVANO"));
  EXPECT_FALSE(Make().ConfigureSqlFirewall()) << "the 32-bit view's id points at a key of the 64-bit one";
  RegisterSqlPath("KELVANO");
  std::remove(NativePath(sqlFolder + "\\binn\\sqlservr.exe").c_str());
  EXPECT_FALSE(Make().ConfigureSqlFirewall()) << "registered, but sqlservr.exe is missing";
  machine.system.Staged().version = {os::kPlatformNt, 4, 0, 1381, ""};
  EXPECT_FALSE(Make().ConfigureProductFirewall());
  EXPECT_THAT(machine.processes.Starts(), IsEmpty());
}

TEST_F(FirewallTest, OnThirtyTwoBitWindowsTheInstanceIdIsReadInTheOneView) {
  machine.system.Staged() = MemorySystemInfo::Windows10(false);
  machine.registry.SetSingleView();
  machine.SetValue(registry::kLocalMachine, "SOFTWARE\\Microsoft\\Microsoft SQL Server\\Instance Names\\SQL", "KELVANO",
                   std::string("MSSQL10.KELVANO"));
  RegisterSqlPath("MSSQL10.KELVANO");
  EXPECT_EQ(Make().SqlServerProgramPath(), sqlFolder + "\\binn\\sqlservr.exe");
}

}  // namespace
}  // namespace kelvano::test
