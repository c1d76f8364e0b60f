#pragma once
// A Windows system described in memory: version, bitness and system folder. Tests
// stage the machine that the setup runs on with it.

#include <map>
#include <string>

#include "system/system_info_seam.h"

namespace kelvano::test {

struct StagedSystem {
  OsVersion version = {};
  bool versionFails = false;     // GetVersionEx fails
  bool hasWow64Function = true;  // kernel32 exports IsWow64Process (XP SP2 and later)
  bool wow64 = false;            // the 32-bit setup runs on 64-bit Windows
  std::string systemFolder = "C:\\Windows\\system32";
  // The environment of the setup's process, and what GetTempPath answers.
  std::map<std::string, std::string> environment;
  std::string tempPath = "C:\\Windows\\Temp\\";
};

class MemorySystemInfo : public SystemInfoSeam {
 public:
  explicit MemorySystemInfo(StagedSystem system = Windows10(true)) : system_(std::move(system)) {}

  // The machine as staged, to change between steps of a test.
  StagedSystem& Staged() { return system_; }

  // Machines the setup meets.
  static StagedSystem Windows98();
  static StagedSystem Windows2000();
  static StagedSystem WindowsXp();  // 32-bit, Service Pack 3
  static StagedSystem WindowsServer2003x64();
  static StagedSystem Windows10(bool x64);  // as a program without a manifest sees it

  long QueryVersion(OsVersion& version) override;
  long QuerySixtyFourBitWindows(bool& sixtyFourBit) override;
  long QuerySystemDirectory(std::string& folder) override;
  long QueryEnvironmentVariable(const std::string& name, std::string& value) override;
  long QueryTempPath(std::string& folder) override;

 private:
  StagedSystem system_;
};

}  // namespace kelvano::test
