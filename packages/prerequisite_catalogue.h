#pragma once
// The packages the setup knows (the rows of kit_package.h): the product, .NET Framework
// 3.5 SP 1 and 4.8, SQL Server Express (2017 on 64-bit Windows, 2008 on 32-bit) and the
// remote-support tool. Each operation hands its row's values to the runner and judges
// what the runner reports by the row, with the row's detection.

#include <string>

#include "packages/kit_package.h"
#include "packages/machine.h"
#include "packages/package_runner.h"
#include "packages/prerequisite_detection.h"
#include "startup/settings.h"
#include "system/run_state.h"

namespace kelvano {

// The two attempts at SQL Server setup: silent, then with setup's own interface.
enum class SqlAttempt { Silent, WithInterface };

// The SQL Server setup command line of one attempt, for the instance ServerName with
// the sa password (a secret) and the service account given.
InstallerArguments SqlServerArguments(SqlAttempt attempt, const std::string& serviceAccount,
                                      const std::string& serverName, const std::string& saPassword);

class PrerequisiteCatalogue {
 public:
  static constexpr char kLocalService[] = "NT AUTHORITY\\LOCAL SERVICE";
  static constexpr char kLocalSystem[] = "LocalSystem";

  PrerequisiteCatalogue(const SetupContext& context, Machine& machine, RunState& window, PackageRunner& runner,
                        PrerequisiteDetection& detection)
      : context_(context), machine_(machine), window_(window), runner_(runner), detection_(detection) {}

  // A row whose arguments are its own (a framework, the support tool).
  PackageOutcome Install(const KitPackage& package);
  // The product package with the feature selection given.
  PackageOutcome InstallProduct(const std::string& featureArguments);
  // The support tool: Installed when it ran and ended with exit code 0.
  PackageOutcome RunQuickSupport() { return Install(kit_package::kQuickSupport); }
  // Installed or not by the instance's service alone, over at most two attempts.
  PackageOutcome InstallSqlServer();
  PackageOutcome InstallSqlServer2008();

  bool IsInstalled(const KitPackage& package) { return detection_.IsInstalled(package.detection); }
  std::string DisplayName(const KitPackage& package) const;
  // Where the package's installer lies when it ships in the kit.
  std::string InstallerPath(const KitPackage& package) const;

 private:
  PackageOutcome InstallSql(const KitPackage& package, const std::string& serviceAccount);
  // The one place where a package's report is judged by its row.
  PackageOutcome Run(const KitPackage& package, const InstallerArguments& arguments);

  const SetupContext& context_;
  Machine& machine_;
  RunState& window_;
  PackageRunner& runner_;
  PrerequisiteDetection& detection_;
};

}  // namespace kelvano
