#pragma once
// /layout FOLDER: a kit for card rooms without internet. The setup, its settings, its
// pictures and every installer it ships are copied into FOLDER, and every package with
// a download description is downloaded there (verified by its SHA-256 where given),
// archives extracted, each installer under the name the catalogue expects. A run of the
// setup from FOLDER then installs without downloading anything.

#include <optional>
#include <string>

#include "packages/machine.h"
#include "packages/prerequisite_catalogue.h"
#include "sequence/installation_sequence.h"
#include "startup/settings.h"
#include "system/run_state.h"

namespace kelvano {

class KitLayout {
 public:
  KitLayout(const SetupContext& context, Machine& machine, RunState& window)
      : context_(context), machine_(machine), window_(window) {}

  // Completed, Cancelled (Cancel in a Retry/Cancel box) or PrerequisiteFailed (the folder
  // could not be made); a summary message ends a completed layout.
  InstallationOutcome Lay(const std::string& folder);

 private:
  // False when the user gave the package up.
  bool Download(const KitPackage& package, const std::string& folder);
  // Why the kit could not be copied (a file and the system's words); nothing on success.
  std::optional<std::string> CopyKit(const std::string& folder);

  const SetupContext& context_;
  Machine& machine_;
  RunState& window_;
  int downloaded_ = 0;
};

}  // namespace kelvano
