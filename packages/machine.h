#pragma once
// The machine that the setup works on, as the seams through which it reaches it: built
// once (Win32Machine for Setup.exe, a staged machine in tests) and handed to the logic.
// Processes, registry and services pass through the log on their way.

#include <chrono>
#include <functional>

#include "packages/transfer_seam.h"
#include "system/process_runner.h"
#include "system/process_seam.h"
#include "system/registry_seam.h"
#include "system/service_control_seam.h"
#include "system/shell_seam.h"
#include "system/setup_log.h"
#include "system/shutdown_seam.h"
#include "system/system_info.h"
#include "unzip/zip_file_system.h"

namespace kelvano {

struct Machine {
  RegistrySeam& registry;
  ServiceControlSeam& services;
  ProcessSeam& processes;
  const SystemInfo& system;  // read once, at start-up
  ProcessRunner& runner;     // starts programs through processes
  ShutdownSeam& shutdown;
  TransferSeam& transfers;  // every scheme a download address may use
  ShellSeam& shell;
  ZipFileSystem& files;  // where archives are extracted
  std::function<std::chrono::steady_clock::time_point()> clock;
  std::function<void(std::chrono::milliseconds)> sleep;  // waits on that clock
  SetupLog& log;
};

}  // namespace kelvano
