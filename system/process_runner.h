#pragma once
// Starts an installer or system tool and waits for it, keeping the window alive.

#include <cstdint>
#include <optional>
#include <string>

#include "system/event_pump.h"
#include "system/process_seam.h"
#include "system/system_info.h"

namespace kelvano {

class ProcessRunner {
 public:
  // The longest the window goes without its events being processed, and the longest
  // delay between a program's end and the return.
  static constexpr std::uint32_t kWaitSliceMilliseconds = 20;
  static constexpr std::int32_t kNotStarted = -1;

  ProcessRunner(ProcessSeam& seam, const SystemInfo& system) : seam_(seam), system_(system) {}

  // Runs commandLine in workingFolder (the setup's own folder when Windows refuses it)
  // and returns the program's exit code as it is (3010 stays 3010), or -1 when it could
  // not be started. pump keeps the window alive meanwhile.
  std::int32_t RunAndWait(const std::string& commandLine, const std::string& workingFolder, std::uint32_t creationFlags,
                          EventPump& pump);

 private:
  std::int32_t RunOnNt(const std::string& commandLine, const std::string& workingFolder, std::uint32_t creationFlags,
                       EventPump& pump);
  std::int32_t RunOnOlderWindows(const std::string& commandLine, EventPump& pump);
  // Waits for the process to end, processing the window's events meanwhile; nothing
  // when its exit code cannot be read.
  std::optional<std::uint32_t> WaitForExitCode(ProcessHandle process, EventPump& pump);

  ProcessSeam& seam_;
  const SystemInfo& system_;
};

}  // namespace kelvano
