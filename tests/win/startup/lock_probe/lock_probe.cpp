// Exits 1 when another instance holds the lock of the executable path given as the
// argument, 0 when this process got it.
#include <windows.h>

#include "startup/win32/win32_startup.h"
#include "system/win32/wide_text.h"

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return 2;
  kelvano::Win32InstanceLock lock(kelvano::Narrow(argv[1]));
  return lock.AnotherInstanceRuns() ? 1 : 0;
}
