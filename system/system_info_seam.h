#pragma once
// The thinnest layer over the Windows calls that describe the running system: each
// mirrors one function and returns its Windows error code (0 on success).

#include <cstdint>
#include <string>

#include "system/windows_errors.h"

namespace kelvano {

struct OsVersion {
  std::uint32_t platformId = 0;  // 1: Windows 95/98/Me, 2: the NT family
  std::uint32_t majorVersion = 0;
  std::uint32_t minorVersion = 0;
  std::uint32_t buildNumber = 0;
  std::string servicePack;  // "Service Pack 3", empty without one
};

namespace os {
inline constexpr std::uint32_t kPlatformWindows = 1;  // VER_PLATFORM_WIN32_WINDOWS
inline constexpr std::uint32_t kPlatformNt = 2;       // VER_PLATFORM_WIN32_NT
}  // namespace os

class SystemInfoSeam {
 public:
  virtual ~SystemInfoSeam() = default;

  // GetVersionEx.
  virtual long QueryVersion(OsVersion& version) = 0;
  // Whether Windows is 64-bit: always for a 64-bit process; for a 32-bit one,
  // IsWow64Process of the current process, looked up in kernel32 by name (kProcNotFound
  // on a Windows that has no such function).
  virtual long QuerySixtyFourBitWindows(bool& sixtyFourBit) = 0;
  // GetSystemDirectory.
  virtual long QuerySystemDirectory(std::string& folder) = 0;
  // GetEnvironmentVariable: kEnvironmentVariableNotFound when it is not set.
  virtual long QueryEnvironmentVariable(const std::string& name, std::string& value) = 0;
  // GetTempPath: the system's temporary folder, with its trailing backslash.
  virtual long QueryTempPath(std::string& folder) = 0;
};

}  // namespace kelvano
