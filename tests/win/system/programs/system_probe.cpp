// Writes the setup's answers about the running system into the file named by its one
// argument, as "nt xp wow64 major.minor", so that a test can run it under a Windows
// version that Wine pretends to be for this program alone.
#include <windows.h>

#include <cstdio>

#include "system/system_info.h"
#include "system/win32/win32_system_info.h"

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return 2;
  kelvano::Win32SystemInfo seam;
  const kelvano::SystemInfo info(seam);
  const kelvano::OsVersion version = info.Version().value_or(kelvano::OsVersion{});
  FILE* out = _wfopen(argv[1], L"w");
  if (out == nullptr) return 3;
  std::fprintf(out, "%d %d %d %u.%u", info.IsWindowsNT() ? 1 : 0, info.IsWindowsXP() ? 1 : 0, info.IsWow64() ? 1 : 0,
               static_cast<unsigned>(version.majorVersion), static_cast<unsigned>(version.minorVersion));
  std::fclose(out);
  return 0;
}
