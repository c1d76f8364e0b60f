#include "packages/win32/win32_machine.h"

#include <windows.h>

namespace kelvano {

Win32Machine::Win32Machine()
    : files_(MakeSystemZipFileSystem()),
      seams_{loggedRegistry_,
             loggedServices_,
             loggedProcesses_,
             system_,
             runner_,
             shutdown_,
             transfers_,
             shell_,
             *files_,
             std::chrono::steady_clock::now,
             [](std::chrono::milliseconds duration) { Sleep(static_cast<DWORD>(duration.count())); },
             log_} {}

}  // namespace kelvano
