#pragma once
// Starts a program and waits for it, for the Windows tests and the test programs beside
// them (stand-ins, helpers) that need no more of the setup's code than this.

#include <windows.h>

#include <optional>
#include <string>

namespace kelvano::test {

// Runs `commandLine` in `folder` (null: this process's folder) and waits at most `wait`
// milliseconds. The exit code (STILL_ACTIVE when it has not ended in time), or nothing
// when it could not be started or its exit code could not be read.
inline std::optional<DWORD> RunProgram(std::wstring commandLine, const wchar_t* folder = nullptr,
                                       DWORD wait = INFINITE) {
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder, &startup, &process)) {
    return std::nullopt;
  }
  WaitForSingleObject(process.hProcess, wait);
  DWORD exitCode = 0;
  const bool read = GetExitCodeProcess(process.hProcess, &exitCode) != 0;
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  if (!read) return std::nullopt;
  return exitCode;
}

}  // namespace kelvano::test
