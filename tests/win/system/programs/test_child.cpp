// A child for the process tests. Arguments, done in order:
//   sleep MS     waits that long
//   cwd FILE     writes the current folder (UTF-16) into FILE
//   exit CODE    ends with that exit code (decimal, or hex with 0x)
#include <windows.h>

#include <cwchar>
#include <string>

int wmain(int argc, wchar_t** argv) {
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::wstring verb = argv[i];
    const wchar_t* value = argv[i + 1];
    if (verb == L"sleep") {
      Sleep(static_cast<DWORD>(std::wcstoul(value, nullptr, 10)));
    } else if (verb == L"cwd") {
      wchar_t folder[MAX_PATH] = {};
      const DWORD length = GetCurrentDirectoryW(MAX_PATH, folder);
      const HANDLE file = CreateFileW(value, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
      if (file == INVALID_HANDLE_VALUE) return 90;
      DWORD written = 0;
      WriteFile(file, folder, length * sizeof(wchar_t), &written, nullptr);
      CloseHandle(file);
    } else if (verb == L"exit") {
      return static_cast<int>(std::wcstoul(value, nullptr, 0));
    } else {
      return 91;
    }
  }
  return 0;
}
