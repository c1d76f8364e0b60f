#include "tests/support/memory_processes.h"

namespace kelvano::test {
namespace {

constexpr std::uint32_t kFirstProcessId = 1000;

}  // namespace

void MemoryProcesses::AddProgram(const std::string& commandLine, StagedProgram program) {
  programs_[commandLine] = std::move(program);
}

std::uint32_t MemoryProcesses::Launch(const StagedProgram& program) {
  runs_.push_back(Run{&program, program.runningSlices});
  return static_cast<std::uint32_t>(runs_.size() - 1);
}

MemoryProcesses::Run* MemoryProcesses::RunOf(ProcessHandle process) {
  const auto it = handles_.find(process);
  if (it == handles_.end() || it->second.isThread) return nullptr;
  return &runs_[it->second.run];
}

long MemoryProcesses::StartProcess(const ProcessStart& start, ProcessHandle& process, ProcessHandle& thread) {
  starts_.push_back(start);
  if (!start.currentDirectory.empty() && missingFolders_.count(start.currentDirectory) != 0) {
    return windows_error::kDirectoryInvalid;
  }
  const auto it = programs_.find(start.commandLine);
  if (it == programs_.end()) return windows_error::kFileNotFound;
  const std::uint32_t run = Launch(it->second);
  process = nextHandle_++;
  handles_[process] = Opened{run, false};
  thread = nextHandle_++;
  handles_[thread] = Opened{run, true};
  return 0;
}

long MemoryProcesses::ShellStart(const std::string& commandLine, std::uint32_t& processId) {
  starts_.push_back(ProcessStart{commandLine, "", false, 0});
  const auto it = programs_.find(commandLine);
  if (it == programs_.end()) return windows_error::kFileNotFound;
  processId = kFirstProcessId + Launch(it->second);
  return 0;
}

long MemoryProcesses::OpenProcessById(std::uint32_t /*access*/, bool /*inheritHandle*/, std::uint32_t processId,
                                      ProcessHandle& process) {
  if (processId < kFirstProcessId || processId - kFirstProcessId >= runs_.size()) {
    return windows_error::kInvalidParameter;
  }
  process = nextHandle_++;
  handles_[process] = Opened{processId - kFirstProcessId, false};
  return 0;
}

std::uint32_t MemoryProcesses::WaitForProcessOrInput(ProcessHandle process, std::uint32_t /*milliseconds*/) {
  ++waits_;
  Run* run = RunOf(process);
  if (run == nullptr) return process::kWaitFailed;
  if (run->ended) return process::kWaitObject0;
  if (run->slicesLeft > 0) {
    --run->slicesLeft;
    return process::kWaitTimeout;
  }
  run->ended = true;
  if (run->program->onExit) run->program->onExit();
  return process::kWaitObject0;
}

long MemoryProcesses::GetExitCode(ProcessHandle process, std::uint32_t& exitCode) {
  const Run* run = RunOf(process);
  if (run == nullptr) return windows_error::kInvalidHandle;
  exitCode = run->ended ? run->program->exitCode : process::kStillActive;
  return 0;
}

long MemoryProcesses::Close(ProcessHandle handle) {
  return handles_.erase(handle) == 1 ? 0 : windows_error::kInvalidHandle;
}

}  // namespace kelvano::test
