#pragma once
// The thinnest layer over the Windows registry: each call mirrors one registry
// function and returns its Windows error code. Names are UTF-8; string data travels
// as UTF-16LE bytes, as Windows stores it.

#include <cstdint>
#include <string>

#include "system/windows_errors.h"

namespace kelvano {

using RegistryHandle = std::uintptr_t;

namespace registry {
inline constexpr RegistryHandle kCurrentUser = 0x80000001u;
inline constexpr RegistryHandle kLocalMachine = 0x80000002u;

inline constexpr std::uint32_t kRead = 0x20019;   // KEY_READ
inline constexpr std::uint32_t kWrite = 0x20006;  // KEY_WRITE
inline constexpr std::uint32_t kView64 = 0x0100;  // KEY_WOW64_64KEY

inline constexpr std::uint32_t kNone = 0;    // REG_NONE
inline constexpr std::uint32_t kString = 1;  // REG_SZ
inline constexpr std::uint32_t kExpandString = 2;
inline constexpr std::uint32_t kBinary = 3;
inline constexpr std::uint32_t kDword = 4;
inline constexpr std::uint32_t kMultiString = 7;
inline constexpr std::uint32_t kQword = 11;

inline constexpr std::uint32_t kCreatedNewKey = 1;      // REG_CREATED_NEW_KEY
inline constexpr std::uint32_t kOpenedExistingKey = 2;  // REG_OPENED_EXISTING_KEY
}  // namespace registry

class RegistrySeam {
 public:
  virtual ~RegistrySeam() = default;

  // RegCreateKeyEx: opens or creates the key; disposition tells which.
  virtual long CreateKey(RegistryHandle root, const std::string& subKey, std::uint32_t access, RegistryHandle& key,
                         std::uint32_t& disposition) = 0;
  // RegOpenKeyEx.
  virtual long OpenKey(RegistryHandle root, const std::string& subKey, std::uint32_t access, RegistryHandle& key) = 0;
  // RegQueryValueEx: with data null, only type and size are reported. size is in bytes,
  // in: the buffer's, out: the value's; kMoreData when the buffer is too small.
  virtual long QueryValue(RegistryHandle key, const std::string& valueName, std::uint32_t& type, std::uint8_t* data,
                          std::uint32_t& size) = 0;
  // RegSetValueEx.
  virtual long SetValue(RegistryHandle key, const std::string& valueName, std::uint32_t type, const std::uint8_t* data,
                        std::uint32_t size) = 0;
  // RegDeleteValue.
  virtual long DeleteValue(RegistryHandle key, const std::string& valueName) = 0;
  // RegCloseKey.
  virtual long CloseKey(RegistryHandle key) = 0;
};

}  // namespace kelvano
