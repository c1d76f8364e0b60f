#include "system/win32/win32_shutdown.h"

#include <windows.h>

#include "system/win32/wide_text.h"

namespace kelvano {
namespace {

HANDLE ToHandle(TokenHandle token) { return reinterpret_cast<HANDLE>(token); }

}  // namespace

long Win32Shutdown::OpenOwnToken(std::uint32_t access, TokenHandle& token) {
  HANDLE opened = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), access, &opened)) return static_cast<long>(GetLastError());
  token = reinterpret_cast<TokenHandle>(opened);
  return ERROR_SUCCESS;
}

long Win32Shutdown::LookupPrivilege(const std::string& name, Luid& luid) {
  LUID found = {};
  if (!LookupPrivilegeValueW(nullptr, Widen(name).c_str(), &found)) return static_cast<long>(GetLastError());
  luid = {found.LowPart, found.HighPart};
  return ERROR_SUCCESS;
}

long Win32Shutdown::AdjustPrivilege(TokenHandle token, bool disableAll, const Luid& luid, std::uint32_t attributes) {
  TOKEN_PRIVILEGES privileges = {};
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Luid.LowPart = luid.lowPart;
  privileges.Privileges[0].Luid.HighPart = luid.highPart;
  privileges.Privileges[0].Attributes = attributes;
  if (!AdjustTokenPrivileges(ToHandle(token), disableAll ? TRUE : FALSE, &privileges, 0, nullptr, nullptr)) {
    return static_cast<long>(GetLastError());
  }
  // Success may still mean that the token does not hold the privilege.
  return static_cast<long>(GetLastError());
}

long Win32Shutdown::CloseToken(TokenHandle token) {
  return CloseHandle(ToHandle(token)) ? ERROR_SUCCESS : static_cast<long>(GetLastError());
}

long Win32Shutdown::ExitWindowsEx(std::uint32_t flags, std::uint32_t reason) {
  return ::ExitWindowsEx(flags, reason) ? ERROR_SUCCESS : static_cast<long>(GetLastError());
}

}  // namespace kelvano
