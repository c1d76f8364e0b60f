#include "tests/support/memory_system_info.h"

namespace kelvano::test {

namespace {

StagedSystem Machine(OsVersion version, bool hasWow64Function, bool wow64, std::string systemFolder) {
  StagedSystem system;
  system.version = std::move(version);
  system.hasWow64Function = hasWow64Function;
  system.wow64 = wow64;
  system.systemFolder = std::move(systemFolder);
  return system;
}

}  // namespace

StagedSystem MemorySystemInfo::Windows98() {
  return Machine({os::kPlatformWindows, 4, 10, 2222, ""}, false, false, "C:\\WINDOWS\\SYSTEM");
}

StagedSystem MemorySystemInfo::Windows2000() {
  return Machine({os::kPlatformNt, 5, 0, 2195, "Service Pack 4"}, false, false, "C:\\WINNT\\system32");
}

StagedSystem MemorySystemInfo::WindowsXp() {
  return Machine({os::kPlatformNt, 5, 1, 2600, "Service Pack 3"}, true, false, "C:\\WINDOWS\\system32");
}

StagedSystem MemorySystemInfo::WindowsServer2003x64() {
  return Machine({os::kPlatformNt, 5, 2, 3790, "Service Pack 2"}, true, true, "C:\\WINDOWS\\system32");
}

StagedSystem MemorySystemInfo::Windows10(bool x64) {
  // Without a manifest GetVersionEx reports Windows 8 on every later Windows.
  return Machine({os::kPlatformNt, 6, 2, 9200, ""}, true, x64, "C:\\Windows\\system32");
}

long MemorySystemInfo::QueryVersion(OsVersion& version) {
  if (system_.versionFails) return 87;  // ERROR_INVALID_PARAMETER
  version = system_.version;
  return 0;
}

long MemorySystemInfo::QuerySixtyFourBitWindows(bool& sixtyFourBit) {
  if (!system_.hasWow64Function) return windows_error::kProcNotFound;
  sixtyFourBit = system_.wow64;
  return 0;
}

long MemorySystemInfo::QuerySystemDirectory(std::string& folder) {
  folder = system_.systemFolder;
  return 0;
}

long MemorySystemInfo::QueryEnvironmentVariable(const std::string& name, std::string& value) {
  const auto it = system_.environment.find(name);
  if (it == system_.environment.end()) return windows_error::kEnvironmentVariableNotFound;
  value = it->second;
  return 0;
}

long MemorySystemInfo::QueryTempPath(std::string& folder) {
  folder = system_.tempPath;
  return 0;
}

}  // namespace kelvano::test
