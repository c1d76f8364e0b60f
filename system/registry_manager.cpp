#include "system/registry_manager.h"

#include <cstring>

#include "system/number_text.h"
#include "system/seam_handle.h"
#include "system/setup_error.h"
#include "system/text_encoding.h"

namespace kelvano {
namespace {

const char kSource[] = "RegistryManager";

// An open key, closed on every path.
using OpenedKey = SeamHandle<RegistrySeam, RegistryHandle, &RegistrySeam::CloseKey>;

bool Open(RegistrySeam& seam, RegistryHandle root, const std::string& name, std::uint32_t access, OpenedKey& key) {
  return seam.OpenKey(root, name, access, key.Receive()) == windows_error::kSuccess;
}

std::vector<std::uint8_t> Utf16Bytes(const std::string& text) {
  const std::u16string wide = Utf8ToUtf16(text);
  std::vector<std::uint8_t> bytes;
  bytes.reserve((wide.size() + 1) * 2);
  for (const char16_t c : wide) {
    bytes.push_back(static_cast<std::uint8_t>(c & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(c >> 8));
  }
  bytes.push_back(0);  // the terminating zero is stored with the text
  bytes.push_back(0);
  return bytes;
}

std::vector<std::uint8_t> ToBytes(const RegistryValue& value) {
  if (const auto* bytes = std::get_if<std::vector<std::uint8_t>>(&value)) return *bytes;
  if (const auto* text = std::get_if<std::string>(&value)) return {text->begin(), text->end()};
  if (std::holds_alternative<std::monostate>(value)) return {};
  throw SetupError(error_number::kTypeMismatch, kSource, "Type mismatch");
}

std::int32_t ToDword(const RegistryValue& value) {
  if (const auto* number = std::get_if<std::int32_t>(&value)) return *number;
  if (std::holds_alternative<std::monostate>(value)) return 0;
  if (const auto* text = std::get_if<std::string>(&value)) {
    if (const auto parsed = ParseWholeNumber(*text)) return ToInt32(*parsed, kSource);
  }
  throw SetupError(error_number::kTypeMismatch, kSource, "Type mismatch");
}

}  // namespace

std::string TextFromUtf16Bytes(const std::uint8_t* data, std::uint32_t size) {
  std::u16string wide;
  for (std::uint32_t i = 0; i + 1 < size; i += 2) {
    wide += static_cast<char16_t>(data[i] | (data[i + 1] << 8));
  }
  // Drop the terminating zero; a text stored without one keeps its last character.
  if (!wide.empty() && wide.back() == u'\0') wide.pop_back();
  return Utf16ToUtf8(wide);
}

std::string RegistryValueToText(const RegistryValue& value) {
  if (const auto* text = std::get_if<std::string>(&value)) return *text;
  if (const auto* number = std::get_if<std::int32_t>(&value)) return std::to_string(*number);
  if (const auto* bytes = std::get_if<std::vector<std::uint8_t>>(&value)) {
    return DecodeAnsi(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()));
  }
  return {};
}

std::int32_t RegistryManager::CreateRegistryKey(RegistryHandle hKey, const std::string& keyName) {
  OpenedKey key(seam_);
  std::uint32_t disposition = 0;
  // No access right is asked for: the handle is only closed again.
  return seam_.CreateKey(hKey, keyName, view_, key.Receive(), disposition) == windows_error::kSuccess ? 0 : 1;
}

std::int32_t RegistryManager::SetRegistryValue(RegistryHandle hKey, const std::string& keyName,
                                               const std::string& valueName, std::int32_t stringType,
                                               const RegistryValue& value) {
  OpenedKey key(seam_);
  if (!Open(seam_, hKey, keyName, registry::kWrite | view_, key)) return 1;
  switch (stringType) {
    case registry::kString:
    case registry::kExpandString: {
      const std::vector<std::uint8_t> bytes = Utf16Bytes(RegistryValueToText(value));
      seam_.SetValue(key.Get(), valueName, static_cast<std::uint32_t>(stringType), bytes.data(),
                     static_cast<std::uint32_t>(bytes.size()));
      break;
    }
    case registry::kBinary: {
      const std::vector<std::uint8_t> bytes = ToBytes(value);
      seam_.SetValue(key.Get(), valueName, registry::kBinary, bytes.data(), static_cast<std::uint32_t>(bytes.size()));
      break;
    }
    case registry::kDword: {
      const std::uint32_t number = static_cast<std::uint32_t>(ToDword(value));
      const std::uint8_t bytes[4] = {static_cast<std::uint8_t>(number), static_cast<std::uint8_t>(number >> 8),
                                     static_cast<std::uint8_t>(number >> 16), static_cast<std::uint8_t>(number >> 24)};
      seam_.SetValue(key.Get(), valueName, registry::kDword, bytes, 4);
      break;
    }
    default: break;  // other types are never written
  }
  return 0;
}

std::int32_t RegistryManager::DeleteValue(RegistryHandle hKey, const std::string& keyName,
                                          const std::string& valueName) {
  OpenedKey key(seam_);
  if (!Open(seam_, hKey, keyName, registry::kWrite | view_, key)) return 1;
  return seam_.DeleteValue(key.Get(), valueName) == windows_error::kSuccess ? 0 : 2;
}

RegistryValue RegistryManager::GetRegistryValue(RegistryHandle hKey, const std::string& keyName,
                                                const std::string& valueName, const RegistryValue& defaultValue) {
  OpenedKey key(seam_);
  if (!Open(seam_, hKey, keyName, registry::kRead | view_, key)) return defaultValue;

  std::uint32_t type = registry::kNone;
  std::uint32_t size = 0;
  if (seam_.QueryValue(key.Get(), valueName, type, nullptr, size) == windows_error::kFileNotFound) {
    return defaultValue;
  }
  switch (type) {
    case registry::kString:
    case registry::kExpandString: {
      std::vector<std::uint8_t> buffer(kTextBufferCharacters * 2);
      size = static_cast<std::uint32_t>(buffer.size());
      if (seam_.QueryValue(key.Get(), valueName, type, buffer.data(), size) != windows_error::kSuccess) {
        return defaultValue;
      }
      return TextFromUtf16Bytes(buffer.data(), size);
    }
    case registry::kBinary: {
      std::vector<std::uint8_t> buffer(kBinaryBufferBytes);
      size = kBinaryBufferBytes;
      if (seam_.QueryValue(key.Get(), valueName, type, buffer.data(), size) != windows_error::kSuccess) {
        return defaultValue;
      }
      buffer.resize(size);
      return buffer;
    }
    case registry::kDword: {
      std::uint8_t bytes[4] = {};
      size = 4;
      if (seam_.QueryValue(key.Get(), valueName, type, bytes, size) != windows_error::kSuccess) {
        return defaultValue;
      }
      return static_cast<std::int32_t>(bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) |
                                       (static_cast<std::uint32_t>(bytes[3]) << 24));
    }
    default: throw SetupError(kUnsupportedTypeError, kSource, "Tipo non supportato.");
  }
}

void RegistryManager::AddCmdLine2RunOnce(const std::string& sDes, const std::string& sCmdLine) {
  static const std::string kRunOnce = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
  CreateRegistryKey(registry::kCurrentUser, kRunOnce);
  SetRegistryValue(registry::kCurrentUser, kRunOnce, sDes, registry::kString, sCmdLine);
}

bool RegistryManager::CheckRegistryKey(RegistryHandle hKey, const std::string& keyName) {
  OpenedKey key(seam_);
  return Open(seam_, hKey, keyName, registry::kRead | view_, key);
}

}  // namespace kelvano
