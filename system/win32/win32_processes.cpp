#include "system/win32/win32_processes.h"

#include <windows.h>

#include <vector>

#include "system/win32/unique_handle.h"
#include "system/win32/wide_text.h"

namespace kelvano {
namespace {

HANDLE ToHandle(ProcessHandle handle) { return reinterpret_cast<HANDLE>(handle); }
ProcessHandle FromHandle(HANDLE handle) { return reinterpret_cast<ProcessHandle>(handle); }

// CreateProcessW may write into the command line, so it gets a copy of its own.
std::vector<wchar_t> WritableCommandLine(const std::string& commandLine) {
  const std::wstring wide = Widen(commandLine);
  std::vector<wchar_t> buffer(wide.begin(), wide.end());
  buffer.push_back(L'\0');
  return buffer;
}

}  // namespace

long Win32Processes::StartProcess(const ProcessStart& start, ProcessHandle& process, ProcessHandle& thread) {
  std::vector<wchar_t> commandLine = WritableCommandLine(start.commandLine);
  const std::wstring folder = Widen(start.currentDirectory);
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  if (start.showWindow >= 0) {
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(start.showWindow);
  }
  PROCESS_INFORMATION info = {};
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, start.inheritHandles ? TRUE : FALSE,
                      start.creationFlags, nullptr, folder.empty() ? nullptr : folder.c_str(), &startup, &info)) {
    return static_cast<long>(GetLastError());
  }
  process = FromHandle(info.hProcess);
  thread = FromHandle(info.hThread);
  return ERROR_SUCCESS;
}

long Win32Processes::ShellStart(const std::string& commandLine, std::uint32_t& processId) {
  std::vector<wchar_t> line = WritableCommandLine(commandLine);
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWMINIMIZED;
  PROCESS_INFORMATION info = {};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
    return static_cast<long>(GetLastError());
  }
  // Only the id is handed on, as the shell start does.
  const unique_handle process(info.hProcess), thread(info.hThread);
  processId = info.dwProcessId;
  return ERROR_SUCCESS;
}

long Win32Processes::OpenProcessById(std::uint32_t access, bool inheritHandle, std::uint32_t processId,
                                     ProcessHandle& process) {
  const HANDLE opened = OpenProcess(access, inheritHandle ? TRUE : FALSE, processId);
  if (opened == nullptr) return static_cast<long>(GetLastError());
  process = FromHandle(opened);
  return ERROR_SUCCESS;
}

std::uint32_t Win32Processes::WaitForProcessOrInput(ProcessHandle process, std::uint32_t milliseconds) {
  const HANDLE handle = ToHandle(process);
  // Without MWMO_INPUTAVAILABLE: only input that arrived since the last look wakes the
  // wait, so messages that the pump leaves behind cannot make it spin.
  return MsgWaitForMultipleObjects(1, &handle, FALSE, milliseconds, QS_ALLINPUT);
}

long Win32Processes::GetExitCode(ProcessHandle process, std::uint32_t& exitCode) {
  DWORD code = 0;
  if (!GetExitCodeProcess(ToHandle(process), &code)) return static_cast<long>(GetLastError());
  exitCode = code;
  return ERROR_SUCCESS;
}

long Win32Processes::Close(ProcessHandle handle) {
  return CloseHandle(ToHandle(handle)) ? ERROR_SUCCESS : static_cast<long>(GetLastError());
}

}  // namespace kelvano
