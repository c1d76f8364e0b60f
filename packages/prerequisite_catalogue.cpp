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

bool PrerequisiteCatalogue::InstallProduct(const std::string& featureArguments) {
  return runner_.RunPackage(context_.ProductDisplayName(), context_.SetupPackagePath(), featureArguments,
                            context_.ReadSetting("URL_PRODUCT"), context_.Settings().ProductCode) &&
         context_.ProductKeyExists();
}

bool PrerequisiteCatalogue::InstallDotNet48() {
  return runner_.RunPackage("Microsoft .NET Framework 4.8", PrerequisitePath("dotnetfx48setup.exe"), kSilentSwitches,
                            context_.ReadSetting("URL_DOTNET48"), "") &&
         detection_.IsDotNet48Installed();
}

bool PrerequisiteCatalogue::InstallDotNet35Sp1() {
  return runner_.RunPackage("Microsoft .NET Framework 3.5 SP 1", PrerequisitePath("dotnetfx35setup.exe"),
                            kSilentSwitches, context_.ReadSetting("URL_DOTNET35"), "") &&
         detection_.IsDotNet35Sp1Installed();
}

bool PrerequisiteCatalogue::RunQuickSupport() {
  return runner_.RunPackage("Quick Support", ToolPath("VelmoraSupport.exe"), "", context_.ReadSetting("URL_SUPPORT"),
                            "");
}

bool PrerequisiteCatalogue::InstallSqlServer() {
  RunStateMessages messages(window_);
  if (!SystemInfo(machine_.system, messages, ApplicationTitle()).IsWow64()) return InstallSqlServer2008();
  return InstallSql("Microsoft SQL Server 2017 Express (x64)", "SQLEXPR_2017_ENU.EXE", "URL_SQL2017", kLocalService);
}

bool PrerequisiteCatalogue::InstallSqlServer2008() {
  RunStateMessages messages(window_);
  const bool xp = SystemInfo(machine_.system, messages, ApplicationTitle()).IsWindowsXP();
  return InstallSql("Microsoft SQL Server 2008 Express", "SQLEXPR_x86_ITA.EXE", "URL_SQL2008",
                    xp ? kLocalSystem : kLocalService);
}

bool PrerequisiteCatalogue::InstallSql(const std::string& displayName, const std::string& fileName,
                                       const std::string& settingsKey, const std::string& serviceAccount) {
  const SetupSettings& settings = context_.Settings();
  for (const SqlAttempt attempt : {SqlAttempt::Silent, SqlAttempt::WithInterface}) {
    // SQL Server setup's exit code says little: only the instance's service counts. A
    // downloaded installer is fetched again for the second attempt.
    runner_.RunPackage(displayName, PrerequisitePath(fileName),
                       SqlServerArguments(attempt, serviceAccount, settings.ServerName, settings.SaPassword),
                       context_.ReadSetting(settingsKey), "");
    if (detection_.IsSqlInstanceInstalled()) return true;
  }
  return false;
}

}  // namespace kelvano
