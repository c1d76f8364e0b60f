#pragma once
// What the machine has before and after packages run: a supported Windows (with the
// Windows XP Service Pack 3 offer), .NET Framework 3.5 SP 1 and 4.8, and the SQL Server
// instance named by the settings.

#include <string>

#include "packages/kit_package.h"
#include "packages/machine.h"
#include "startup/settings.h"
#include "system/run_state.h"

namespace kelvano {

class PrerequisiteDetection {
 public:
  // Where the Italian Windows XP Service Pack 3 is downloaded from.
  static constexpr char kXpServicePack3Url[] =
      "http://download.microsoft.com/download/9/4/d/94d3f80a-2c0d-4ce1-a983-52f946b62c78/"
      "WindowsXP-KB936929-SP3-x86-ITA.exe";

  PrerequisiteDetection(const SetupContext& context, Machine& machine, RunState& window)
      : context_(context), machine_(machine), window_(window) {}

  // True when the installation may go on; otherwise the user has been told why (and, on
  // Windows XP before Service Pack 3, offered its download).
  bool CheckOperatingSystem();
  // "Release" 528040 or more: 4.8 or a later 4.x. Any error gives false.
  bool IsDotNet48Installed();
  // "SP" 1 or more. A value the registry rules cannot read raises to the caller.
  bool IsDotNet35Sp1Installed();
  // The service "MSSQL$" + the server name is known to the service control manager.
  bool IsSqlInstanceInstalled();
  // The test a package's row names; the product is found by its registry key, and a
  // package without a test counts as found.
  bool IsInstalled(PackageDetection detection);

 private:
  bool CheckVersion();
  void ShowError(int message);
  // Logs what was looked for and what was found; returns present.
  bool Found(const std::string& what, const std::string& evidence, bool present);

  const SetupContext& context_;
  Machine& machine_;
  RunState& window_;
};

}  // namespace kelvano
