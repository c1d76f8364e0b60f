#pragma once
// Programs held in memory: each known command line "runs" for a number of wait slices
// and ends with its exit code. Tests stage installers with it and read back every start.

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "system/process_seam.h"

namespace kelvano::test {

struct StagedProgram {
  std::uint32_t exitCode = 0;
  // Waits that time out before the program ends; the runner pumps events in each.
  int runningSlices = 1;
  // Runs when the program ends, for what it leaves on the machine (a registry key...).
  std::function<void()> onExit = nullptr;
};

class MemoryProcesses : public ProcessSeam {
 public:
  // A command line to answer, matched exactly; any other one is a missing program.
  void AddProgram(const std::string& commandLine, StagedProgram program);
  // A folder that Windows refuses as the current directory (it does not exist).
  void RemoveFolder(const std::string& folder) { missingFolders_.insert(folder); }

  long StartProcess(const ProcessStart& start, ProcessHandle& process, ProcessHandle& thread) override;
  long ShellStart(const std::string& commandLine, std::uint32_t& processId) override;
  long OpenProcessById(std::uint32_t access, bool inheritHandle, std::uint32_t processId,
                       ProcessHandle& process) override;
  std::uint32_t WaitForProcessOrInput(ProcessHandle process, std::uint32_t milliseconds) override;
  long GetExitCode(ProcessHandle process, std::uint32_t& exitCode) override;
  long Close(ProcessHandle handle) override;

  // Every start that Windows accepted or refused, in order.
  const std::vector<ProcessStart>& Starts() const { return starts_; }
  // Starts that ran a staged program.
  std::size_t RunCount() const { return runs_.size(); }
  std::size_t WaitCount() const { return waits_; }
  // Handles opened and not yet closed.
  std::size_t OpenHandleCount() const { return handles_.size(); }

 private:
  struct Run {
    const StagedProgram* program;
    int slicesLeft;
    bool ended = false;
  };
  struct Opened {
    std::size_t run;  // index into runs_
    bool isThread;
  };
  std::uint32_t Launch(const StagedProgram& program);
  Run* RunOf(ProcessHandle process);

  std::map<std::string, StagedProgram> programs_;
  std::set<std::string> missingFolders_;
  std::vector<ProcessStart> starts_;
  std::vector<Run> runs_;  // a run's index + 1000 is its process id
  std::map<ProcessHandle, Opened> handles_;
  ProcessHandle nextHandle_ = 0x3000;
  std::size_t waits_ = 0;
};

}  // namespace kelvano::test
