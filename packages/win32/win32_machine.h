#pragma once
// The real machine: every Win32 seam, built once for Setup.exe.

#include <memory>

#include "packages/machine.h"
#include "packages/url_transfers.h"
#include "packages/win32/wininet_transfers.h"
#include "system/logging_seams.h"
#include "system/win32/win32_processes.h"
#include "system/win32/win32_registry.h"
#include "system/win32/win32_services.h"
#include "system/win32/win32_shell.h"
#include "system/win32/win32_shutdown.h"
#include "system/win32/win32_system_info.h"

namespace kelvano {

class Win32Machine {
 public:
  Win32Machine();
  Win32Machine(const Win32Machine&) = delete;
  Win32Machine& operator=(const Win32Machine&) = delete;

  Machine& Seams() { return seams_; }
  SetupLog& Log() { return log_; }
  // The shell starts documents on behalf of the main window once it exists.
  Win32Shell& Shell() { return shell_; }

 private:
  Win32Registry registry_;
  Win32Services services_;
  Win32Processes processes_;
  Win32SystemInfo systemSeam_;
  SystemInfo system_{systemSeam_};
  Win32Shutdown shutdown_;
  WinInetTransfers network_;
  UrlTransfers transfers_{network_};
  Win32Shell shell_;
  std::unique_ptr<ZipFileSystem> files_;
  SetupLog log_;
  LoggingRegistry loggedRegistry_{registry_, log_};
  LoggingServices loggedServices_{services_, log_};
  LoggingProcesses loggedProcesses_{processes_, log_, std::chrono::steady_clock::now};
  ProcessRunner runner_{loggedProcesses_, system_};
  Machine seams_;
};

}  // namespace kelvano
