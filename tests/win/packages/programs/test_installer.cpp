// A stand-in installer for the package tests: appends its command line and working
// folder to the file named by KELVANO_INSTALLER_LOG, then exits with the number in
// KELVANO_INSTALLER_EXIT (0 when unset).
#include <windows.h>

#include <cstdio>
#include <cwchar>

int wmain() {
  wchar_t log[MAX_PATH] = {}, exitCode[32] = {}, folder[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, folder);
  if (GetEnvironmentVariableW(L"KELVANO_INSTALLER_LOG", log, MAX_PATH) > 0) {
    if (FILE* out = _wfopen(log, L"a, ccs=UTF-8")) {
      std::fwprintf(out, L"%ls|%ls\n", GetCommandLineW(), folder);
      std::fclose(out);
    }
  }
  GetEnvironmentVariableW(L"KELVANO_INSTALLER_EXIT", exitCode, 32);
  return static_cast<int>(std::wcstol(exitCode, nullptr, 10));
}
