#include "system/installation_running.h"

#include "system/setup_error.h"

namespace kelvano {

InstallationRunning::InstallationRunning(RunState& window, std::function<void(const std::string&)> logFailure)
    : window_(window), logFailure_(std::move(logFailure)) {
  window_.SetBusyPointer(true);
  window_.SetInstallationRunning(true);
}

InstallationRunning::~InstallationRunning() {
  window_.SetInstallationRunning(false);
  CleanUpLogged(
      "the switch back to the option page", [this] { window_.SetInstallationProgress(false, ""); }, logFailure_);
  window_.SetBusyPointer(false);
}

}  // namespace kelvano
