#include "packages/prerequisite_catalogue.h"

#include "startup/path_helpers.h"
#include "system/system_info.h"

namespace kelvano {

std::string SqlServerArguments(SqlAttempt attempt, const std::string& serviceAccount, const std::string& serverName,
                               const std::string& saPassword) {
  const bool silent = attempt == SqlAttempt::Silent;
  std::string line = silent ? "/Q /IACCEPTSQLSERVERLICENSETERMS /HIDECONSOLE /SKIPRULES=RebootRequiredCheck "
                              "PerfMonCounterNotCorruptedCheck /SQLSVCACCOUNT=\""
                            : "/IACCEPTSQLSERVERLICENSETERMS /SKIPRULES=RebootRequiredCheck "
                              "PerfMonCounterNotCorruptedCheck /ADDCURRENTUSERASSQLADMIN /SQLSVCACCOUNT=\"";
  line += serviceAccount;
  line += silent ? "\" /ADDCURRENTUSERASSQLADMIN /INSTANCENAME=\"" : "\" /INSTANCENAME=\"";
  line += serverName;
  line += "\" /ACTION=\"Install\" /FEATURES=SQLEngine /SECURITYMODE=SQL /TCPENABLED=1 /NPENABLED=1 /SAPWD=";
  line += saPassword;
  return line;
}

std::string PrerequisiteCatalogue::PrerequisitePath(const std::string& fileName) const {
  return PathJoin(PathJoin(context_.AppFolder(), "Prerequisites"), fileName);
}

std::string PrerequisiteCatalogue::ToolPath(const std::string& fileName) const {
  return PathJoin(PathJoin(context_.AppFolder(), "Tools"), fileName);
}

bool PrerequisiteCatalogue::Run(const KitPackage& package, const std::string& arguments,
                                const std::string& earlierVersionCode) {
  const std::string displayName = package.displayName ? package.displayName : context_.ProductDisplayName();
  const std::string installer = PathJoin(PathJoin(context_.AppFolder(), package.folder), package.fileName);
  return runner_.RunPackage(displayName, installer, arguments, context_.ReadSetting(package.settingsKey),
                            earlierVersionCode);
}

bool PrerequisiteCatalogue::InstallProduct(const std::string& featureArguments) {
  return Run(kit_package::kProduct, featureArguments, context_.Settings().ProductCode) && context_.ProductKeyExists();
}

bool PrerequisiteCatalogue::InstallDotNet48() {
  return Run(kit_package::kDotNet48, kSilentSwitches) && detection_.IsDotNet48Installed();
}

bool PrerequisiteCatalogue::InstallDotNet35Sp1() {
  return Run(kit_package::kDotNet35, kSilentSwitches) && detection_.IsDotNet35Sp1Installed();
}

bool PrerequisiteCatalogue::RunQuickSupport() { return Run(kit_package::kQuickSupport, ""); }

bool PrerequisiteCatalogue::InstallSqlServer() {
  RunStateMessages messages(window_);
  if (!SystemInfo(machine_.system, messages, ApplicationTitle()).IsWow64()) return InstallSqlServer2008();
  return InstallSql(kit_package::kSql2017, kLocalService);
}

bool PrerequisiteCatalogue::InstallSqlServer2008() {
  RunStateMessages messages(window_);
  const bool xp = SystemInfo(machine_.system, messages, ApplicationTitle()).IsWindowsXP();
  return InstallSql(kit_package::kSql2008, xp ? kLocalSystem : kLocalService);
}

bool PrerequisiteCatalogue::InstallSql(const KitPackage& package, const std::string& serviceAccount) {
  const SetupSettings& settings = context_.Settings();
  for (const SqlAttempt attempt : {SqlAttempt::Silent, SqlAttempt::WithInterface}) {
    // SQL Server setup's exit code says little: only the instance's service counts. A
    // downloaded installer is fetched again for the second attempt.
    Run(package, SqlServerArguments(attempt, serviceAccount, settings.ServerName, settings.SaPassword));
    if (detection_.IsSqlInstanceInstalled()) return true;
  }
  return false;
}

}  // namespace kelvano
