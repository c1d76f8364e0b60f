#include "packages/prerequisite_detection.h"

#include <algorithm>

#include "startup/format_text.h"
#include "startup/messages.h"
#include "system/mod_services.h"
#include "system/number_text.h"
#include "system/registry_manager.h"
#include "system/text_encoding.h"

namespace kelvano {
namespace {

constexpr char kDotNet48Key[] = "SOFTWARE\\Microsoft\\NET Framework Setup\\NDP\\v4\\Full";
constexpr char kDotNet35Key[] = "SOFTWARE\\Microsoft\\NET Framework Setup\\NDP\\v3.5";
constexpr std::int32_t kDotNet48Release = 528040;

// The value's leading number, rounded to a 32-bit integer (a missing value reads 0).
std::int32_t NumberValue(RegistrySeam& registry, const char* key, const char* valueName) {
  const RegistryValue value =
      RegistryManager(registry).GetRegistryValue(registry::kLocalMachine, key, valueName, std::int32_t{0});
  return ToInt32(LeadingNumber(RegistryValueToText(value)), "Detection");
}

}  // namespace

void PrerequisiteDetection::ShowError(int message) {
  window_.ShowMessage(SetupMessageBox(FormatText(LoadMessage(message)), MessageIcon::Error));
}

bool PrerequisiteDetection::CheckOperatingSystem() {
  const bool supported = CheckVersion();
  machine_.log.Write(std::string("detection: this Windows ") + (supported ? "may be installed on" : "is refused"));
  return supported;
}

bool PrerequisiteDetection::CheckVersion() {
  if (!machine_.system.Version()) {
    machine_.log.Write("detection: the Windows version cannot be read");
    ShowError(message::kOsNotRecognised);
    return false;
  }
  const OsVersion& version = *machine_.system.Version();
  machine_.log.Write("detection: Windows platform " + std::to_string(version.platformId) + ", version " +
                     std::to_string(version.majorVersion) + "." + std::to_string(version.minorVersion) + "." +
                     std::to_string(version.buildNumber) + " \"" + version.servicePack.c_str() + "\"");
  if (version.platformId != os::kPlatformNt) {
    if (version.platformId > os::kPlatformNt) return true;  // a platform this setup does not know
    ShowError(message::kOsNotSupported);
    return false;
  }
  if (version.majorVersion == 3 || version.majorVersion == 4) {
    ShowError(message::kOsNotSupported);
    return false;
  }
  // Windows 2000, Server 2003 and XP x64 (5.0, 5.2) and everything from Vista on pass.
  if (version.majorVersion != 5 || version.minorVersion != 1) return true;

  std::string servicePack = version.servicePack;
  servicePack.erase(std::remove(servicePack.begin(), servicePack.end(), '\0'), servicePack.end());
  if (AsciiLower(TrimBlanks(servicePack)) == "service pack 3") return true;

  if (window_.ShowMessage(SetupMessageBox(FormatText(LoadMessage(message::kXpNeedsServicePack3)), MessageIcon::Error,
                                          MessageButtons::YesNo)) == MessageAnswer::Yes) {
    // The system's URL handler downloads it; what it does is not waited for.
    machine_.shell.OpenDocument("open", kXpServicePack3Url, "", "", shell::kHide);
  }
  return false;
}

bool PrerequisiteDetection::IsDotNet48Installed() {
  try {
    const std::int32_t release = NumberValue(machine_.registry, kDotNet48Key, "Release");
    return Found(".NET Framework 4.8", "Release " + std::to_string(release), release >= kDotNet48Release);
  } catch (const std::exception& error) {
    return Found(".NET Framework 4.8", error.what(), false);
  }
}

bool PrerequisiteDetection::IsDotNet35Sp1Installed() {
  try {
    const std::int32_t servicePack = NumberValue(machine_.registry, kDotNet35Key, "SP");
    return Found(".NET Framework 3.5 SP 1", "SP " + std::to_string(servicePack), servicePack >= 1);
  } catch (const std::exception& error) {
    Found(".NET Framework 3.5 SP 1", error.what(), false);
    throw;
  }
}

bool PrerequisiteDetection::IsSqlInstanceInstalled() {
  const std::string service = "MSSQL$" + context_.Settings().ServerName;
  const ServiceState state = ModServices(machine_.services).GetServiceStatus(service, "");
  return Found("SQL Server instance " + service, "state " + std::to_string(static_cast<int>(state)),
               state != ServiceState::None);
}

bool PrerequisiteDetection::IsInstalled(PackageDetection detection) {
  switch (detection) {
    case PackageDetection::None: return true;
    case PackageDetection::Product:
      return Found("the product's key", context_.ProductDisplayName(), context_.ProductKeyExists());
    case PackageDetection::DotNet35Sp1: return IsDotNet35Sp1Installed();
    case PackageDetection::DotNet48: return IsDotNet48Installed();
    case PackageDetection::SqlInstance: return IsSqlInstanceInstalled();
  }
  return false;
}

bool PrerequisiteDetection::Found(const std::string& what, const std::string& evidence, bool present) {
  machine_.log.Write("detection: " + what + ": " + (present ? "present" : "missing") + " (" + evidence + ")");
  return present;
}

}  // namespace kelvano
