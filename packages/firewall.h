#pragma once
// The Windows firewall rules of a Server installation and the HTTP URL reservation of
// the product's API port, one netsh command each: the "firewall" dialect on Windows
// 2000, XP and Server 2003, "advfirewall" from Vista on. netsh's own outcome is not
// judged; the results only say whether the commands could be issued at all.

#include <string>

#include "packages/machine.h"
#include "startup/settings.h"
#include "system/run_state.h"

namespace kelvano {

class Firewall {
 public:
  Firewall(const SetupContext& context, Machine& machine, RunState& window)
      : context_(context), machine_(machine), window_(window) {}

  // The SQL Server program and UDP 1434 (SQL Server Browser). False when the instance's
  // sqlservr.exe cannot be found or Windows is of a version without a firewall here.
  bool ConfigureSqlFirewall();
  // The product's program and, from Vista on, the URL reservation of its API port.
  bool ConfigureProductFirewall();
  // Runs one netsh command and waits for it; its exit code is not looked at.
  void RunNetsh(const std::string& netshPath, const std::string& netshArguments);

  // The instance's sqlservr.exe as registered, whether or not the file exists; empty
  // when SQL Server registered no folder for it.
  std::string SqlServerProgramPath();

 private:
  // The command dialect by Windows' major version: nothing on a version without one.
  enum class Dialect { None, Firewall, AdvFirewall };
  Dialect DialectOfThisWindows();
  std::string NetshPath();

  const SetupContext& context_;
  Machine& machine_;
  RunState& window_;
};

}  // namespace kelvano
