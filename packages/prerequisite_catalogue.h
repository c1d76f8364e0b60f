#pragma once
// The packages the setup knows: the product, .NET Framework 3.5 SP 1 and 4.8, SQL Server
// Express (2017 on 64-bit Windows, 2008 on 32-bit) and the remote-support tool. Each
// operation hands its package's values to the runner, then checks with its own test
// that the package really is in place.

#include <string>

#include "packages/machine.h"
#include "packages/package_runner.h"
#include "packages/prerequisite_detection.h"
#include "startup/settings.h"
#include "system/run_state.h"

namespace kelvano {

// Where each package of the catalogue lies in a kit, and the settings key that tells
// where to download it from. The product's display name is the product name setting.
struct KitPackage {
  const char* displayName;
  const char* folder;  // of the kit: Prerequisites, Tools, Setup
  const char* fileName;
  const char* settingsKey;
};
namespace kit_package {
inline constexpr KitPackage kProduct{nullptr, "Setup", "Setup.exe", "URL_PRODUCT"};
inline constexpr KitPackage kDotNet48{"Microsoft .NET Framework 4.8", "Prerequisites", "dotnetfx48setup.exe",
                                      "URL_DOTNET48"};
inline constexpr KitPackage kDotNet35{"Microsoft .NET Framework 3.5 SP 1", "Prerequisites", "dotnetfx35setup.exe",
                                      "URL_DOTNET35"};
inline constexpr KitPackage kQuickSupport{"Quick Support", "Tools", "VelmoraSupport.exe", "URL_SUPPORT"};
inline constexpr KitPackage kSql2017{"Microsoft SQL Server 2017 Express (x64)", "Prerequisites", "SQLEXPR_2017_ENU.EXE",
                                     "URL_SQL2017"};
inline constexpr KitPackage kSql2008{"Microsoft SQL Server 2008 Express", "Prerequisites", "SQLEXPR_x86_ITA.EXE",
                                     "URL_SQL2008"};
inline constexpr KitPackage kAll[] = {kProduct, kDotNet35, kDotNet48, kSql2017, kSql2008, kQuickSupport};
}  // namespace kit_package

// The two attempts at SQL Server setup: silent, then with setup's own interface.
enum class SqlAttempt { Silent, WithInterface };

// The SQL Server setup command line of one attempt, for the instance ServerName with
// the sa password and the service account given.
std::string SqlServerArguments(SqlAttempt attempt, const std::string& serviceAccount, const std::string& serverName,
                               const std::string& saPassword);

class PrerequisiteCatalogue {
 public:
  static constexpr char kSilentSwitches[] = "/quiet /silent /qn /norestart";
  static constexpr char kLocalService[] = "NT AUTHORITY\\LOCAL SERVICE";
  static constexpr char kLocalSystem[] = "LocalSystem";

  PrerequisiteCatalogue(const SetupContext& context, Machine& machine, RunState& window, PackageRunner& runner,
                        PrerequisiteDetection& detection)
      : context_(context), machine_(machine), window_(window), runner_(runner), detection_(detection) {}

  // The product package with the feature selection given; a success also needs the
  // product's registry key afterwards.
  bool InstallProduct(const std::string& featureArguments);
  bool InstallDotNet48();
  bool InstallDotNet35Sp1();
  // True when the support tool ran and ended with exit code 0.
  bool RunQuickSupport();
  // Judged by the instance's service alone, whatever SQL Server setup's exit codes.
  bool InstallSqlServer();
  bool InstallSqlServer2008();

  std::string PrerequisitePath(const std::string& fileName) const;
  std::string ToolPath(const std::string& fileName) const;

 private:
  bool InstallSql(const KitPackage& package, const std::string& serviceAccount);
  bool Run(const KitPackage& package, const std::string& arguments, const std::string& earlierVersionCode = {});

  const SetupContext& context_;
  Machine& machine_;
  RunState& window_;
  PackageRunner& runner_;
  PrerequisiteDetection& detection_;
};

}  // namespace kelvano
