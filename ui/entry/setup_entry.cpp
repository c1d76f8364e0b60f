// The entry of Setup.exe.

#include <windows.h>
#include <objbase.h>

#include "packages/win32/win32_machine.h"
#include "startup/main.h"
#include "startup/path_helpers.h"
#include "startup/win32/win32_startup.h"
#include "system/text_encoding.h"
#include "system/win32/dll_search.h"
#include "system/win32/win32_message_box.h"
#include "ui/win32/main_window.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // Before anything else can load a DLL.
  kelvano::RestrictDllSearchToSystemFolder();
  const HRESULT com = CoInitialize(nullptr);

  const std::string executable = kelvano::ExecutablePath();
  kelvano::Win32InstanceLock instance(executable);
  kelvano::Win32Machine machine;
  kelvano::Win32PictureLoader pictures;
  kelvano::Win32MessageBox messages;
  kelvano::StartupSeams seams{instance, machine.Seams().registry, pictures, messages, kelvano::AppFolder(),
                              kelvano::CommandLineArguments(kelvano::Narrow(GetCommandLineW()))};
  const int exitCode = kelvano::Main(seams, [&](const kelvano::SetupContext& context) {
    kelvano::frmMM window(context, machine, executable);
    window.ShowAndRun();
  });

  if (SUCCEEDED(com)) CoUninitialize();
  return exitCode;
}
