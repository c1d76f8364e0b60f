#include "packages/prerequisite_catalogue.h"

#include "startup/path_helpers.h"
#include "system/system_info.h"

namespace kelvano {

InstallerArguments SqlServerArguments(SqlAttempt attempt, const std::string& serviceAccount,
                                      const std::string& serverName, const std::string& saPassword) {
  const bool silent = attempt == SqlAttempt::Silent;
  std::string line = silent ? "/Q /IACCEPTSQLSERVERLICENSETERMS /HIDECONSOLE /SKIPRULES=RebootRequiredCheck "
                              "PerfMonCounterNotCorruptedCheck /SQLSVCACCOUNT=\""
                            : "/IACCEPTSQLSERVERLICENSETERMS /SKIPRULES=RebootRequiredCheck "
                              "PerfMonCounterNotCorruptedCheck /ADDCURRENTUSERASSQLADMIN /SQLSVCACCOUNT=\"";
  line += serviceAccount;
  line += silent ? "\" /ADDCURRENTUSERASSQLADMIN /INSTANCENAME=\"" : "\" /INSTANCENAME=\"";
  line += serverName;
  line += "\" /ACTION=\"Install\" /FEATURES=SQLEngine /SECURITYMODE=SQL /TCPENABLED=1 /NPENABLED=1 /SAPWD=";
  return InstallerArguments(line).Add(saPassword, true);
}

std::string PrerequisiteCatalogue::InstallerPath(const KitPackage& package) const {
  return PathJoin(PathJoin(context_.AppFolder(), package.folder), package.fileName);
}

std::string PrerequisiteCatalogue::DisplayName(const KitPackage& package) const {
  return package.displayName ? package.displayName : context_.ProductDisplayName();
}

PackageOutcome PrerequisiteCatalogue::Run(const KitPackage& package, const InstallerArguments& arguments) {
  PackageRequest request{DisplayName(package),
                         InstallerPath(package),
                         arguments,
                         context_.ReadSetting(package.settingsKey),
                         package.removesEarlierProduct ? context_.Settings().ProductCode : std::string(),
                         package.judgement == PackageJudgement::ExitCode};
  const InstallerReport report = runner_.RunPackage(request);
  const bool detected = NeedsDetection(package, report) && detection_.IsInstalled(package.detection);
  const PackageOutcome outcome = JudgePackage(package, report, detected);
  switch (outcome) {
    case PackageOutcome::Installed: machine_.log.Write("package " + request.displayName + ": succeeded"); break;
    case PackageOutcome::RestartNeeded:
      machine_.log.Write("package " + request.displayName + ": succeeded; Windows must restart to finish it");
      break;
    case PackageOutcome::RestartStarted:
      machine_.log.Write("package " + request.displayName + ": succeeded; its installer restarts Windows");
      break;
    case PackageOutcome::Failed: machine_.log.Write("package " + request.displayName + ": failed"); break;
    case PackageOutcome::Cancelled: break;  // the runner logged it
  }
  return outcome;
}

PackageOutcome PrerequisiteCatalogue::Install(const KitPackage& package) {
  return Run(package, package.silentArguments ? package.silentArguments : "");
}

PackageOutcome PrerequisiteCatalogue::InstallProduct(const std::string& featureArguments) {
  return Run(kit_package::kProduct, featureArguments);
}

PackageOutcome PrerequisiteCatalogue::InstallSqlServer() {
  if (!machine_.system.IsWow64()) return InstallSqlServer2008();
  return InstallSql(kit_package::kSql2017, kLocalService);
}

PackageOutcome PrerequisiteCatalogue::InstallSqlServer2008() {
  return InstallSql(kit_package::kSql2008, machine_.system.IsWindowsXP() ? kLocalSystem : kLocalService);
}

PackageOutcome PrerequisiteCatalogue::InstallSql(const KitPackage& package, const std::string& serviceAccount) {
  const SetupSettings& settings = context_.Settings();
  PackageOutcome outcome = PackageOutcome::Failed;
  for (const SqlAttempt attempt : {SqlAttempt::Silent, SqlAttempt::WithInterface}) {
    // A downloaded installer is fetched again for the second attempt.
    outcome = Run(package, SqlServerArguments(attempt, serviceAccount, settings.ServerName, settings.SaPassword));
    if (outcome == PackageOutcome::Installed) break;
  }
  return outcome;
}

}  // namespace kelvano
