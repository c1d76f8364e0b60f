#pragma once
// RunPackage: obtains one installer (shipped beside the setup, or downloaded and, for an
// archive, extracted under TEMP), has an earlier product version removed, runs the
// installer silently and judges it by its exit code. Every failure is shown with Retry
// and Cancel; whatever the runner put under TEMP is gone when it returns.

#include <string>

#include "packages/earlier_version_removal.h"
#include "packages/machine.h"
#include "startup/settings.h"
#include "system/run_state.h"

namespace kelvano {

// The runner's own failures (installer missing, archive not extracted, no temporary
// folder) carry this number.
inline constexpr std::int32_t kPackageFailedError = static_cast<std::int32_t>(0x80040002u);

class PackageRunner {
 public:
  PackageRunner(const SetupContext& context, Machine& machine, RunState& window, EarlierVersionRemoval& removal)
      : context_(context), machine_(machine), window_(window), removal_(removal) {}

  // True when the installer was there (or was obtained) and ended with exit code 0; a
  // restart request (3010) is no success. Never raises. Not re-entrant: the window's
  // InstallationRunning, true meanwhile, turns a second start away.
  bool RunPackage(const std::string& displayName, const std::string& installerPath, const std::string& arguments,
                  const std::string& downloadDescription, const std::string& earlierVersionCode);

  // Whether the last package ended because the user chose Cancel in its Retry/Cancel box.
  bool LastPackageCancelled() const { return lastCancelled_; }

  // The folder under TEMP where archives are extracted, one subfolder per package.
  static constexpr char kExtractionFolderName[] = "VLMInstaller";

 private:
  class Run;

  const SetupContext& context_;
  Machine& machine_;
  RunState& window_;
  EarlierVersionRemoval& removal_;
  bool lastCancelled_ = false;
};

}  // namespace kelvano
