#include "sequence/earlier_version_remover.h"

#include "startup/format_text.h"
#include "startup/messages.h"
#include "startup/path_helpers.h"
#include "system/process_runner.h"
#include "system/registry_manager.h"
#include "system/system_info.h"

namespace kelvano {
namespace {

constexpr char kUninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

}  // namespace

bool EarlierVersionRemover::RemoveEarlierVersion(const std::string& productCode) {
  if (productCode.empty()) return true;
  window_.SetInstallationProgress(true,
                                  FormatText(LoadMessage(message::kUninstalling), context_.Settings().ProductName));
  const std::string uninstall = RegistryValueToText(
      RegistryManager(machine_.registry)
          .GetRegistryValue(registry::kLocalMachine, kUninstallKey + productCode, "UninstallString", std::string()));
  if (!uninstall.empty()) {
    const std::string& systemFolder = machine_.system.SystemFolder();
    // By full path from the system folder, never from the setup's own folder.
    machine_.runner.RunAndWait(Quoted(PathJoin(systemFolder, "msiexec.exe")) + " /qn /norestart /x" + productCode,
                               systemFolder, process::kInheritCallerPriority, window_);
  }
  window_.SetInstallationProgress(false, "");
  return true;
}

}  // namespace kelvano
