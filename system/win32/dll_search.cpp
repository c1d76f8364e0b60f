#include "system/win32/dll_search.h"

#include <string>

#include "system/win32/wide_text.h"

namespace kelvano {
namespace {

// LOAD_LIBRARY_SEARCH_SYSTEM32, which the headers of the oldest target do not name.
constexpr DWORD kSearchSystem32 = 0x00000800;

}  // namespace

DllSearchProtection RestrictDllSearchToSystemFolder() {
  // Neither function exists on every supported Windows, so both are looked up.
  const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  if (kernel == nullptr) return DllSearchProtection::None;
  using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
  using SetDllDirectoryFn = BOOL(WINAPI*)(LPCWSTR);
  const auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesFn>(
      reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
  if (setDefault != nullptr && setDefault(kSearchSystem32)) return DllSearchProtection::SystemFolderOnly;
  const auto setDirectory =
      reinterpret_cast<SetDllDirectoryFn>(reinterpret_cast<void*>(GetProcAddress(kernel, "SetDllDirectoryW")));
  if (setDirectory != nullptr && setDirectory(L"")) return DllSearchProtection::CurrentFolderRemoved;
  return DllSearchProtection::None;
}

HMODULE LoadSystemLibrary(const char* name) {
  // Where the loader knows the flag (Windows 8, 7 with KB2533623): the DLL and its
  // dependencies from the system folder alone. Elsewhere the call fails with
  // ERROR_INVALID_PARAMETER, and the full path makes its folder the first searched.
  if (const HMODULE dll = LoadLibraryExW(Widen(name).c_str(), nullptr, kSearchSystem32)) return dll;
  wchar_t folder[MAX_PATH];
  const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  const std::wstring path = std::wstring(folder, length) + L"\\" + Widen(name);
  return LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

}  // namespace kelvano
