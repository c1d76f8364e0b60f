#pragma once
// The setup's registry rules: result codes, defaults, the type probe, the text
// buffer limit and the RunOnce entry, over any RegistrySeam.

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "system/registry_seam.h"

namespace kelvano {

// A value read or written: nothing, text (REG_SZ/REG_EXPAND_SZ), bytes (REG_BINARY) or
// a 32-bit number (REG_DWORD).
using RegistryValue = std::variant<std::monostate, std::string, std::vector<std::uint8_t>, std::int32_t>;

class RegistryManager {
 public:
  // Text values longer than this many characters, terminator included, read as missing.
  static constexpr std::uint32_t kTextBufferCharacters = 1024;
  static constexpr std::uint32_t kBinaryBufferBytes = 4096;
  static constexpr std::int32_t kUnsupportedTypeError = 1001;

  // view: 0, the view Windows gives the 32-bit setup (what every read of the setup takes),
  // or registry::kView64 for the one read of what 64-bit programs register on 64-bit
  // Windows (Windows 2000 refuses the flag, so it is asked for only there).
  explicit RegistryManager(RegistrySeam& seam, std::uint32_t view = 0) : seam_(seam), view_(view) {}

  // 0: the key exists now; 1: it could not be created.
  std::int32_t CreateRegistryKey(RegistryHandle hKey, const std::string& keyName);
  // 1: the key could not be opened for writing (it is never created here); else 0.
  std::int32_t SetRegistryValue(RegistryHandle hKey, const std::string& keyName, const std::string& valueName,
                                std::int32_t stringType, const RegistryValue& value);
  // 0: deleted; 1: the key could not be opened for writing; 2: the value was not deleted.
  std::int32_t DeleteValue(RegistryHandle hKey, const std::string& keyName, const std::string& valueName);
  // The value, or defaultValue when the key or value is missing or unreadable. A value of
  // a type other than 1 to 4 raises error 1001 "Tipo non supportato.".
  RegistryValue GetRegistryValue(RegistryHandle hKey, const std::string& keyName, const std::string& valueName,
                                 const RegistryValue& defaultValue = {});
  // Makes sCmdLine run once at the current user's next logon, under the name sDes.
  void AddCmdLine2RunOnce(const std::string& sDes, const std::string& sCmdLine);
  bool CheckRegistryKey(RegistryHandle hKey, const std::string& keyName);

 private:
  RegistrySeam& seam_;
  std::uint32_t view_;
};

// The text of a string value's bytes as the registry stores them (UTF-16, little-endian,
// with its terminating zero).
std::string TextFromUtf16Bytes(const std::uint8_t* data, std::uint32_t size);

// Conversions of a RegistryValue as its callers need them.
std::string RegistryValueToText(const RegistryValue& value);

}  // namespace kelvano
