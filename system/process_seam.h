#pragma once
// The thinnest layer over starting a program and waiting for it: each call mirrors one
// Windows function and returns its Windows error code (0 on success) unless noted.

#include <cstdint>
#include <string>

#include "system/windows_errors.h"

namespace kelvano {

using ProcessHandle = std::uintptr_t;

namespace process {
inline constexpr std::uint32_t kWaitObject0 = 0;          // the process ended
inline constexpr std::uint32_t kWaitInput = 1;            // WAIT_OBJECT_0 + 1: input arrived
inline constexpr std::uint32_t kWaitTimeout = 258;        // WAIT_TIMEOUT
inline constexpr std::uint32_t kWaitFailed = 0xFFFFFFFF;  // WAIT_FAILED
inline constexpr std::uint32_t kStillActive = 259;        // STILL_ACTIVE
inline constexpr std::uint32_t kSynchronize = 0x100000;   // SYNCHRONIZE
inline constexpr std::uint32_t kInheritCallerPriority = 0x20000;
}  // namespace process

struct ProcessStart {
  std::string commandLine;       // program path first, quoted when it has blanks
  std::string currentDirectory;  // empty: the setup's own
  bool inheritHandles = false;
  std::uint32_t creationFlags = 0;
  int showWindow = -1;  // a ShowWindow command for the program's window; -1: its own choice
};

class ProcessSeam {
 public:
  virtual ~ProcessSeam() = default;

  // CreateProcess with no application name, no environment block and a STARTUPINFO
  // whose only field is its size (the program shows its window as it likes).
  virtual long StartProcess(const ProcessStart& start, ProcessHandle& process, ProcessHandle& thread) = 0;
  // The shell start of a program of older Windows, minimised with focus: the new
  // process's id.
  virtual long ShellStart(const std::string& commandLine, std::uint32_t& processId) = 0;
  // OpenProcess.
  virtual long OpenProcessById(std::uint32_t access, bool inheritHandle, std::uint32_t processId,
                               ProcessHandle& process) = 0;
  // MsgWaitForMultipleObjects on the one handle, also woken by any input to the thread.
  // Returns the wait's own result (kWaitObject0, kWaitInput, kWaitTimeout, kWaitFailed).
  virtual std::uint32_t WaitForProcessOrInput(ProcessHandle process, std::uint32_t milliseconds) = 0;
  // GetExitCodeProcess.
  virtual long GetExitCode(ProcessHandle process, std::uint32_t& exitCode) = 0;
  // CloseHandle.
  virtual long Close(ProcessHandle handle) = 0;
};

}  // namespace kelvano
