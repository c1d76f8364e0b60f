#include "system/win32/win32_registry.h"

#include <windows.h>

#include "system/win32/wide_text.h"

namespace kelvano {
namespace {

// The predefined roots are sign-extended 32-bit values on 64-bit Windows.
HKEY ToHkey(RegistryHandle handle) {
  if (handle == registry::kCurrentUser) return HKEY_CURRENT_USER;
  if (handle == registry::kLocalMachine) return HKEY_LOCAL_MACHINE;
  return reinterpret_cast<HKEY>(handle);
}

RegistryHandle FromHkey(HKEY key) { return reinterpret_cast<RegistryHandle>(key); }

REGSAM InTheSetupsView(std::uint32_t access) {
#ifdef _WIN64
  if ((access & (KEY_WOW64_32KEY | KEY_WOW64_64KEY)) == 0) access |= KEY_WOW64_32KEY;
#endif
  return access;
}

}  // namespace

long Win32Registry::CreateKey(RegistryHandle root, const std::string& subKey, std::uint32_t access, RegistryHandle& key,
                              std::uint32_t& disposition) {
  HKEY created = nullptr;
  DWORD how = 0;
  const LONG status = RegCreateKeyExW(ToHkey(root), Widen(subKey).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                      InTheSetupsView(access), nullptr, &created, &how);
  if (status == ERROR_SUCCESS) {
    key = FromHkey(created);
    disposition = how;
  }
  return status;
}

long Win32Registry::OpenKey(RegistryHandle root, const std::string& subKey, std::uint32_t access, RegistryHandle& key) {
  HKEY opened = nullptr;
  const LONG status = RegOpenKeyExW(ToHkey(root), Widen(subKey).c_str(), 0, InTheSetupsView(access), &opened);
  if (status == ERROR_SUCCESS) key = FromHkey(opened);
  return status;
}

long Win32Registry::QueryValue(RegistryHandle key, const std::string& valueName, std::uint32_t& type,
                               std::uint8_t* data, std::uint32_t& size) {
  DWORD foundType = 0;
  DWORD foundSize = size;
  const LONG status = RegQueryValueExW(ToHkey(key), Widen(valueName).c_str(), nullptr, &foundType, data, &foundSize);
  type = foundType;
  size = foundSize;
  return status;
}

long Win32Registry::SetValue(RegistryHandle key, const std::string& valueName, std::uint32_t type,
                             const std::uint8_t* data, std::uint32_t size) {
  return RegSetValueExW(ToHkey(key), Widen(valueName).c_str(), 0, type, data, size);
}

long Win32Registry::DeleteValue(RegistryHandle key, const std::string& valueName) {
  return RegDeleteValueW(ToHkey(key), Widen(valueName).c_str());
}

long Win32Registry::CloseKey(RegistryHandle key) { return RegCloseKey(ToHkey(key)); }

}  // namespace kelvano
