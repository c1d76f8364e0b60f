#pragma once
// The process seam over the wide Windows functions.

#include "system/process_seam.h"

namespace kelvano {

class Win32Processes : public ProcessSeam {
 public:
  long StartProcess(const ProcessStart& start, ProcessHandle& process, ProcessHandle& thread) override;
  long ShellStart(const std::string& commandLine, std::uint32_t& processId) override;
  long OpenProcessById(std::uint32_t access, bool inheritHandle, std::uint32_t processId,
                       ProcessHandle& process) override;
  std::uint32_t WaitForProcessOrInput(ProcessHandle process, std::uint32_t milliseconds) override;
  long GetExitCode(ProcessHandle process, std::uint32_t& exitCode) override;
  long Close(ProcessHandle handle) override;
};

}  // namespace kelvano
