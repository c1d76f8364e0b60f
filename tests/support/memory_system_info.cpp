#include "tests/support/memory_system_info.h"

namespace kelvano::test {

StagedSystem MemorySystemInfo::Windows98() {
  return {.version = {os::kPlatformWindows, 4, 10, 2222}, .hasWow64Function = false,
          .systemFolder = "C:\\WINDOWS\\SYSTEM"};
}

StagedSystem MemorySystemInfo::Windows2000() {
  return {.version = {os::kPlatformNt, 5, 0, 2195}, .hasWow64Function = false,
          .systemFolder = "C:\\WINNT\\system32"};
}

StagedSystem MemorySystemInfo::WindowsXp() {
  return {.version = {os::kPlatformNt, 5, 1, 2600}, .systemFolder = "C:\\WINDOWS\\system32"};
}

StagedSystem MemorySystemInfo::WindowsServer2003x64() {
  return {.version = {os::kPlatformNt, 5, 2, 3790}, .wow64 = true, .systemFolder = "C:\\WINDOWS\\system32"};
}

StagedSystem MemorySystemInfo::Windows10(bool x64) {
  // Without a manifest GetVersionEx reports Windows 8 on every later Windows.
  return {.version = {os::kPlatformNt, 6, 2, 9200}, .wow64 = x64};
}

long MemorySystemInfo::QueryVersion(OsVersion& version) {
  if (system_.versionFails) return 87;  // ERROR_INVALID_PARAMETER
  version = system_.version;
  return 0;
}

long MemorySystemInfo::QueryWow64(bool& wow64) {
  if (!system_.hasWow64Function) return os::kProcNotFound;
  wow64 = system_.wow64;
  return 0;
}

long MemorySystemInfo::QuerySystemDirectory(std::string& folder) {
  folder = system_.systemFolder;
  return 0;
}

void MemorySystemInfo::EndProcess(std::uint32_t exitCode) { throw ProcessEnded(exitCode); }

}  // namespace kelvano::test
