#pragma once
// Removes an installed copy of the product through Windows Installer before the
// product package runs, so that the new package always installs fresh.

#include <string>

#include "packages/earlier_version_removal.h"
#include "packages/machine.h"
#include "startup/settings.h"
#include "system/run_state.h"

namespace kelvano {

class EarlierVersionRemover : public EarlierVersionRemoval {
 public:
  EarlierVersionRemover(const SetupContext& context, Machine& machine, RunState& window)
      : context_(context), machine_(machine), window_(window) {}

  // Always true: the removal is attempted when the product is registered for it, and
  // its outcome is not judged. Nothing happens for an empty code.
  bool RemoveEarlierVersion(const std::string& productCode) override;

 private:
  const SetupContext& context_;
  Machine& machine_;
  RunState& window_;
};

}  // namespace kelvano
