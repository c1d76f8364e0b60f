#pragma once
// The main window's restart of Windows, once the setup has registered to resume.

#include "system/run_state.h"
#include "system/shutdown_seam.h"

namespace kelvano {

// Clears InstallationRunning, so that the window lets Windows close it, then asks for a
// forced restart. Returns at once; if Windows refuses, the setup simply goes on.
void RestartSystem(RunState& runState, ShutdownSeam& shutdown);

}  // namespace kelvano
