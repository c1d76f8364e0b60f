#pragma once
// RunPackage: obtains one installer (shipped beside the setup, or downloaded and, for an
// archive, extracted under TEMP), has an earlier product version removed, runs the
// installer silently and reports how it ended; the package's row judges that. Every
// failure is shown with Retry and Cancel; whatever the runner put under TEMP is gone
// when it returns.

#include <chrono>
#include <string>

#include "packages/earlier_version_removal.h"
#include "packages/kit_package.h"
#include "packages/package_errors.h"
#include "packages/machine.h"
#include "startup/settings.h"
#include "system/run_state.h"

namespace kelvano {

// One package to run, as its row and the run make it.
struct PackageRequest {
  std::string displayName;
  std::string installerPath;
  InstallerArguments arguments;
  std::string downloadDescription;
  std::string earlierVersionCode;
  // An installer that answers "another installation is running" (1618) is run again,
  // kBusyTries times in all, kBusyPause apart.
  bool waitsForOtherInstallations = false;
};

class PackageRunner {
 public:
  static constexpr int kBusyTries = 10;
  static constexpr std::chrono::seconds kBusyPause{30};

  PackageRunner(const SetupContext& context, Machine& machine, RunState& window, EarlierVersionRemoval& removal)
      : context_(context), machine_(machine), window_(window), removal_(removal) {}

  // How the installer ended: its exit code as it is, not started, or Cancel in a
  // Retry/Cancel box. A removal of the earlier version that ends the package counts as
  // exit code 0. Never raises. Not re-entrant: the window's InstallationRunning, true
  // meanwhile, turns a second start away.
  InstallerReport RunPackage(const PackageRequest& request);

  // The folder under TEMP where archives are extracted, one subfolder per package.
  static constexpr char kExtractionFolderName[] = "VLMInstaller";

 private:
  class Run;

  const SetupContext& context_;
  Machine& machine_;
  RunState& window_;
  EarlierVersionRemoval& removal_;
};

}  // namespace kelvano
