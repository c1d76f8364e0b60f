// The entry of Setup.exe.

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include "packages/win32/win32_machine.h"
#include "startup/format_text.h"
#include "startup/main.h"
#include "startup/messages.h"
#include "startup/path_helpers.h"
#include "startup/win32/win32_startup.h"
#include "system/system_info.h"
#include "system/win32/dll_search.h"
#include "system/win32/wide_text.h"
#include "system/win32/win32_message_box.h"
#include "ui/win32/main_window.h"

namespace {

// "/log PATH", or "<ProductName> Setup_YYYYMMDDhhmmss.log" in TEMP.
std::string LogPath(const kelvano::SetupContext& context, const kelvano::SystemInfo& system) {
  const kelvano::SetupSettings& settings = context.Settings();
  if (!settings.LogPath.empty()) return settings.LogPath;
  std::string stamp;
  for (const char c : kelvano::LogTimestamp().substr(0, 19)) {
    if (c >= '0' && c <= '9') stamp += c;
  }
  return kelvano::PathJoin(system.TemporaryFolder(), settings.ProductName + " Setup_" + stamp + ".log");
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // Before anything else can load a DLL.
  kelvano::RestrictDllSearchToSystemFolder();
  // The common controls 6 that the manifest names, before any window or message box:
  // on XP the system's classes are redirected to them, and a box made before they are
  // loaded is never shown.
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
  const HRESULT com = CoInitialize(nullptr);

  const std::string executable = kelvano::ExecutablePath();
  kelvano::Win32InstanceLock instance(executable);
  kelvano::Win32Machine machine;
  kelvano::Win32PictureLoader pictures;
  kelvano::Win32MessageBox messages(nullptr, &machine.Log());
  if (!kelvano::RequireWindowsVersion(machine.Seams().system, messages, kelvano::ApplicationTitle())) {
    if (SUCCEEDED(com)) CoUninitialize();
    return 1;
  }
  const std::string arguments = kelvano::CommandLineArguments(kelvano::Narrow(GetCommandLineW()));
  kelvano::StartupSeams seams{instance, machine.Seams().registry, pictures, messages, kelvano::AppFolder(), arguments};
  int runExitCode = 0;
  kelvano::SetupLog& log = machine.Log();
  int exitCode = kelvano::Main(seams, [&](const kelvano::SetupContext& context) {
    // The log never stops the setup: a file that cannot be written is simply not written.
    log.WriteTo(kelvano::OpenLogFile(LogPath(context, machine.Seams().system)));
    log.Write("Setup.exe " + executable + " started with the command line: " + arguments);
    if (context.Settings().Resumed) log.Write("resumes the installation that a restart interrupted");
    for (const std::string& line : kelvano::DescribeSettings(context.Settings())) log.Write(line);
    for (const std::string& line : context.SkippedSteps()) log.Write(line);
    if (context.Settings().ShowHelp) {
      if (!context.Settings().SuppressMessageBoxes) {
        messages.Show(
            kelvano::SetupMessageBox(kelvano::FormatText(kelvano::LoadMessage(kelvano::message::kCommandLineHelp)),
                                     kelvano::MessageIcon::Information));
      }
      return;
    }
    kelvano::frmMM window(context, machine, executable);
    window.ShowAndRun();
    runExitCode = kelvano::ExitCodeOf(window.LastOutcome());
  });
  if (exitCode == 0) exitCode = runExitCode;
  log.Write("exit code " + std::to_string(exitCode));

  if (SUCCEEDED(com)) CoUninitialize();
  return exitCode;
}
