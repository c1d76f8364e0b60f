#include "system/win32/win32_system_info.h"

#include <windows.h>

#include <vector>

#include "system/win32/wide_text.h"

namespace kelvano {

long Win32SystemInfo::QueryVersion(OsVersion& version) {
  OSVERSIONINFOW info = {};
  info.dwOSVersionInfoSize = sizeof(info);
  if (!GetVersionExW(&info)) return static_cast<long>(GetLastError());
  version = {info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion, info.dwBuildNumber,
             Narrow(std::wstring_view(info.szCSDVersion, wcsnlen(info.szCSDVersion, 128)))};
  return ERROR_SUCCESS;
}

long Win32SystemInfo::QuerySixtyFourBitWindows(bool& sixtyFourBit) {
#ifdef _WIN64
  // A 64-bit program runs on 64-bit Windows only, and is not WOW64's.
  sixtyFourBit = true;
  return ERROR_SUCCESS;
#else
  // Windows 2000 and XP before Service Pack 2 have no such function.
  using IsWow64ProcessFunction = BOOL(WINAPI*)(HANDLE, PBOOL);
  const HMODULE kernel = GetModuleHandleW(L"kernel32");
  const auto isWow64Process =
      kernel == nullptr
          ? nullptr
          : reinterpret_cast<IsWow64ProcessFunction>(reinterpret_cast<void*>(GetProcAddress(kernel, "IsWow64Process")));
  if (isWow64Process == nullptr) return windows_error::kProcNotFound;
  BOOL answer = FALSE;
  if (!isWow64Process(GetCurrentProcess(), &answer)) return static_cast<long>(GetLastError());
  sixtyFourBit = answer != FALSE;
  return ERROR_SUCCESS;
#endif
}

long Win32SystemInfo::QuerySystemDirectory(std::string& folder) {
  std::vector<wchar_t> buffer(MAX_PATH + 1);
  UINT length = GetSystemDirectoryW(buffer.data(), static_cast<UINT>(buffer.size()));
  if (length >= buffer.size()) {
    // Too small: the answer is the size needed, terminator included.
    buffer.resize(length);
    length = GetSystemDirectoryW(buffer.data(), static_cast<UINT>(buffer.size()));
    if (length >= buffer.size()) return ERROR_INSUFFICIENT_BUFFER;
  }
  if (length == 0) return static_cast<long>(GetLastError());
  folder = Narrow(std::wstring_view(buffer.data(), length));
  return ERROR_SUCCESS;
}

long Win32SystemInfo::QueryEnvironmentVariable(const std::string& name, std::string& value) {
  const std::wstring wideName = Widen(name);
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    SetLastError(ERROR_SUCCESS);
    const DWORD length = GetEnvironmentVariableW(wideName.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) {
      const DWORD error = GetLastError();
      if (error != ERROR_SUCCESS) return static_cast<long>(error);
      value.clear();  // set, but empty
      return ERROR_SUCCESS;
    }
    if (length < buffer.size()) {
      value = Narrow(std::wstring_view(buffer.data(), length));
      return ERROR_SUCCESS;
    }
    buffer.resize(length);  // the size needed, terminator included
  }
}

long Win32SystemInfo::QueryTempPath(std::string& folder) {
  wchar_t buffer[MAX_PATH + 2] = {};
  const DWORD length = GetTempPathW(MAX_PATH + 2, buffer);
  if (length == 0 || length > MAX_PATH + 1)
    return static_cast<long>(length == 0 ? GetLastError() : ERROR_INSUFFICIENT_BUFFER);
  folder = Narrow(std::wstring_view(buffer, length));
  return ERROR_SUCCESS;
}

}  // namespace kelvano
