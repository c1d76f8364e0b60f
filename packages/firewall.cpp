#include "packages/firewall.h"

#include "startup/fill_placeholders.h"
#include "startup/path_helpers.h"
#include "system/process_runner.h"
#include "system/registry_manager.h"
#include "system/system_info.h"

namespace kelvano {
namespace {

constexpr char kSqlServerKey[] = "SOFTWARE\\Microsoft\\Microsoft SQL Server\\";

}  // namespace

std::string Firewall::SqlServerProgramPath() {
  const std::string& server = context_.Settings().ServerName;
  std::string folder = RegistryValueToText(
      RegistryManager(machine_.registry)
          .GetRegistryValue(registry::kLocalMachine, kSqlServerKey + server + "\\Setup", "SQLPath", std::string()));
  if (folder.empty()) {
    // SQL Server 2005 and later register the instance under an id (MSSQL14.KELVANO); a
    // 64-bit SQL Server does so in the 64-bit view only.
    RegistryManager registry(machine_.registry, machine_.system.IsWow64() ? registry::kView64 : 0);
    const std::string id = RegistryValueToText(registry.GetRegistryValue(
        registry::kLocalMachine, std::string(kSqlServerKey) + "Instance Names\\SQL", server, std::string()));
    if (!id.empty()) {
      folder = RegistryValueToText(
          registry.GetRegistryValue(registry::kLocalMachine, kSqlServerKey + id + "\\Setup", "SQLPath", std::string()));
    }
  }
  return folder.empty() ? std::string() : PathJoin(folder, "binn\\sqlservr.exe");
}

Firewall::Dialect Firewall::DialectOfThisWindows() {
  const std::optional<OsVersion>& version = machine_.system.Version();
  if (!version || version->majorVersion == 3 || version->majorVersion == 4) return Dialect::None;
  return version->majorVersion == 5 ? Dialect::Firewall : Dialect::AdvFirewall;
}

std::string Firewall::NetshPath() { return PathJoin(machine_.system.SystemFolder(), "netsh.exe"); }

bool Firewall::ConfigureSqlFirewall() {
  const std::string program = SqlServerProgramPath();
  if (program.empty() || !FileExists(program)) return false;
  const Dialect dialect = DialectOfThisWindows();
  if (dialect == Dialect::None) return false;
  const std::string netsh = NetshPath();
  const std::string& product = context_.Settings().ProductName;
  if (dialect == Dialect::Firewall) {
    RunNetsh(netsh,
             FillPlaceholders("firewall add allowedprogram program={0} name={1}SQL mode=ENABLE scope=ALL profile=ALL",
                              {Quoted(program), product}));
    RunNetsh(netsh,
             "firewall add allowedprogram protocol=UDP port=1434 name=SQLServerBrowser mode=ENABLE scope=ALL "
             "profile=ALL");
  } else {
    RunNetsh(netsh,
             FillPlaceholders("advfirewall firewall add rule name={1}SQL program={0} enable=yes dir=in profile=any "
                              "action=allow",
                              {Quoted(program), product}));
    RunNetsh(netsh,
             "advfirewall firewall add rule name=SQLServerBrowser protocol=UDP localport=1434 enable=yes dir=in "
             "profile=any action=allow");
  }
  return true;
}

bool Firewall::ConfigureProductFirewall() {
  const std::string& product = context_.Settings().ProductName;
  const std::string program =
      RegistryValueToText(RegistryManager(machine_.registry)
                              .GetRegistryValue(registry::kLocalMachine, "SOFTWARE\\" + product, "", std::string()));
  if (program.empty() || !FileExists(program)) return false;
  const Dialect dialect = DialectOfThisWindows();
  if (dialect == Dialect::None) return false;
  const std::string netsh = NetshPath();
  if (dialect == Dialect::Firewall) {
    RunNetsh(netsh,
             FillPlaceholders("firewall add allowedprogram program={0} name={1} mode=ENABLE scope=ALL profile=ALL",
                              {Quoted(program), product}));
  } else {
    RunNetsh(netsh, FillPlaceholders(
                        "advfirewall firewall add rule program={0} name={1} enable=yes dir=in profile=any action=allow",
                        {Quoted(program), product}));
    const int port = context_.Settings().ApiPort;
    if (port >= 1 && port <= 32767) {
      RunNetsh(netsh, FillPlaceholders("http add urlacl url=http://+:{0}/ user=everyone", {std::to_string(port)}));
    } else {
      // http://+:0/ would reserve nothing the product listens on.
      machine_.log.Write("URL reservation skipped: ApiPort " + std::to_string(port) + " is no port (1 to 32767)");
    }
  }
  return true;
}

void Firewall::RunNetsh(const std::string& netshPath, const std::string& netshArguments) {
  machine_.runner.RunAndWait(Quoted(netshPath) + " " + netshArguments, ParentFolder(netshPath),
                             process::kInheritCallerPriority, window_);
}

}  // namespace kelvano
