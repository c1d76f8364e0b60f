#include "system/process_runner.h"

#include <optional>

#include "system/seam_handle.h"
#include "system/setup_error.h"

namespace kelvano {
namespace {

constexpr std::int32_t kFileNotFoundError = 53;

using ScopedProcessHandle = SeamHandle<ProcessSeam, ProcessHandle, &ProcessSeam::Close>;

}  // namespace

std::int32_t ProcessRunner::RunAndWait(const std::string& commandLine, const std::string& workingFolder,
                                       std::uint32_t creationFlags, EventPump& pump) {
  if (system_.IsWindowsNT()) return RunOnNt(commandLine, workingFolder, creationFlags, pump);
  return RunOnOlderWindows(commandLine, pump);
}

std::int32_t ProcessRunner::RunOnNt(const std::string& commandLine, const std::string& workingFolder,
                                    std::uint32_t creationFlags, EventPump& pump) {
  ScopedProcessHandle process(seam_);
  ScopedProcessHandle thread(seam_);
  ProcessStart start{commandLine, workingFolder, true, creationFlags};
  long status = seam_.StartProcess(start, process.Receive(), thread.Receive());
  if (status == windows_error::kDirectoryInvalid && !start.currentDirectory.empty()) {
    // An installer runs in its own folder, as when opened from Explorer; a folder that
    // is gone must not keep it from running.
    start.currentDirectory.clear();
    status = seam_.StartProcess(start, process.Receive(), thread.Receive());
  }
  if (status != 0) return kNotStarted;
  const std::optional<std::uint32_t> exitCode = WaitForExitCode(process.Get(), pump);
  return exitCode ? static_cast<std::int32_t>(*exitCode) : kNotStarted;
}

std::int32_t ProcessRunner::RunOnOlderWindows(const std::string& commandLine, EventPump& pump) {
  std::uint32_t processId = 0;
  if (seam_.ShellStart(commandLine, processId) != 0) {
    throw SetupError(kFileNotFoundError, "RunAndWait", "File not found");
  }
  ScopedProcessHandle process(seam_);
  if (seam_.OpenProcessById(process::kSynchronize, true, processId, process.Receive()) != 0) {
    return kNotStarted;
  }
  const std::optional<std::uint32_t> exitCode = WaitForExitCode(process.Get(), pump);
  return exitCode && *exitCode == 0 ? 0 : kNotStarted;
}

std::optional<std::uint32_t> ProcessRunner::WaitForExitCode(ProcessHandle process, EventPump& pump) {
  for (;;) {
    switch (seam_.WaitForProcessOrInput(process, kWaitSliceMilliseconds)) {
      case process::kWaitObject0:
      case process::kWaitFailed: {
        std::uint32_t exitCode = 0;
        // An exit code that cannot be read is no success.
        if (seam_.GetExitCode(process, exitCode) != 0) return std::nullopt;
        return exitCode;
      }
      case process::kWaitTimeout:
      case process::kWaitInput: pump.ProcessPendingEvents(); break;
      default: break;  // nothing to do: wait again
    }
  }
}

}  // namespace kelvano
