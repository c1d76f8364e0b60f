#include "sequence/restart_system.h"

#include "system/exit_windows.h"

namespace kelvano {

void RestartSystem(RunState& runState, ShutdownSeam& shutdown) {
  runState.SetInstallationRunning(false);
  ExitWindows exitWindows(shutdown);
  exitWindows.Exit(shutdown::kReboot);
}

}  // namespace kelvano
