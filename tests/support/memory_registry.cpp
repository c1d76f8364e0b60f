#include "tests/support/memory_registry.h"

#include <algorithm>
#include <cstring>

#include "system/text_encoding.h"

namespace kelvano::test {
namespace {

constexpr std::uint32_t kQueryValueRight = 0x0001;  // KEY_QUERY_VALUE
constexpr std::uint32_t kSetValueRight = 0x0002;    // KEY_SET_VALUE
constexpr long kBadPathname = 161;                  // ERROR_BAD_PATHNAME

std::vector<std::string> SplitPath(const std::string& path) {
  std::vector<std::string> parts;
  std::string part;
  for (const char c : path) {
    if (c == '\\') {
      parts.push_back(part);
      part.clear();
    } else {
      part += c;
    }
  }
  if (!part.empty() || !parts.empty()) parts.push_back(part);
  // A single trailing backslash is tolerated, as Windows does.
  if (parts.size() > 1 && parts.back().empty()) parts.pop_back();
  return parts;
}

bool HasEmptyPart(const std::vector<std::string>& parts) {
  return std::any_of(parts.begin(), parts.end(), [](const std::string& p) { return p.empty(); });
}

}  // namespace

MemoryRegistry::MemoryRegistry() = default;
MemoryRegistry::~MemoryRegistry() = default;

MemoryRegistry::Key* MemoryRegistry::Resolve(RegistryHandle handle, std::uint32_t access) const {
  if (handle == registry::kCurrentUser) return const_cast<Key*>(&currentUser_);
  if (handle == registry::kLocalMachine) {
    const bool view64 = (access & registry::kView64) != 0 && !singleView_;
    return const_cast<Key*>(view64 ? &localMachine64_ : &localMachine_);
  }
  const auto it = handles_.find(handle);
  return it == handles_.end() ? nullptr : it->second.key;
}

MemoryRegistry::Key* MemoryRegistry::Find(Key* from, const std::string& subKey) const {
  const std::vector<std::string> parts = SplitPath(subKey);
  if (HasEmptyPart(parts)) return nullptr;
  Key* key = from;
  for (const std::string& part : parts) {
    const auto it = key->children.find(AsciiLower(part));
    if (it == key->children.end()) return nullptr;
    key = it->second.get();
  }
  return key;
}

long MemoryRegistry::CreateKey(RegistryHandle root, const std::string& subKey, std::uint32_t access,
                               RegistryHandle& key, std::uint32_t& disposition) {
  Key* current = Resolve(root, access);
  if (current == nullptr) return windows_error::kInvalidHandle;
  const std::vector<std::string> parts = SplitPath(subKey);
  if (HasEmptyPart(parts)) return kBadPathname;
  disposition = registry::kOpenedExistingKey;
  for (const std::string& part : parts) {
    auto& child = current->children[AsciiLower(part)];
    if (!child) {
      child = std::make_unique<Key>();
      disposition = registry::kCreatedNewKey;
    }
    current = child.get();
  }
  key = nextHandle_++;
  handles_[key] = Opened{current, access};
  return windows_error::kSuccess;
}

long MemoryRegistry::OpenKey(RegistryHandle root, const std::string& subKey, std::uint32_t access,
                             RegistryHandle& key) {
  Key* from = Resolve(root, access);
  if (from == nullptr) return windows_error::kInvalidHandle;
  Key* found = Find(from, subKey);
  if (found == nullptr) return windows_error::kFileNotFound;
  key = nextHandle_++;
  handles_[key] = Opened{found, access};
  return windows_error::kSuccess;
}

long MemoryRegistry::QueryValue(RegistryHandle key, const std::string& valueName, std::uint32_t& type,
                                std::uint8_t* data, std::uint32_t& size) {
  const auto it = handles_.find(key);
  if (it == handles_.end()) return windows_error::kInvalidHandle;
  if ((it->second.access & kQueryValueRight) == 0) return windows_error::kAccessDenied;
  const auto& values = it->second.key->values;
  const auto value = values.find(AsciiLower(valueName));
  if (value == values.end()) return windows_error::kFileNotFound;
  type = value->second.type;
  const auto needed = static_cast<std::uint32_t>(value->second.data.size());
  if (data == nullptr) {
    size = needed;
    return windows_error::kSuccess;
  }
  if (size < needed) {
    size = needed;
    return windows_error::kMoreData;
  }
  std::copy(value->second.data.begin(), value->second.data.end(), data);
  size = needed;
  return windows_error::kSuccess;
}

long MemoryRegistry::SetValue(RegistryHandle key, const std::string& valueName, std::uint32_t type,
                              const std::uint8_t* data, std::uint32_t size) {
  const auto it = handles_.find(key);
  if (it == handles_.end()) return windows_error::kInvalidHandle;
  if ((it->second.access & kSetValueRight) == 0) return windows_error::kAccessDenied;
  Value& value = it->second.key->values[AsciiLower(valueName)];
  value.name = valueName;
  value.type = type;
  value.data.assign(data, data + size);
  return windows_error::kSuccess;
}

long MemoryRegistry::DeleteValue(RegistryHandle key, const std::string& valueName) {
  const auto it = handles_.find(key);
  if (it == handles_.end()) return windows_error::kInvalidHandle;
  if ((it->second.access & kSetValueRight) == 0) return windows_error::kAccessDenied;
  return it->second.key->values.erase(AsciiLower(valueName)) == 1 ? windows_error::kSuccess
                                                                  : windows_error::kFileNotFound;
}

long MemoryRegistry::CloseKey(RegistryHandle key) {
  return handles_.erase(key) == 1 ? windows_error::kSuccess : windows_error::kInvalidHandle;
}

bool MemoryRegistry::KeyExists(RegistryHandle root, const std::string& subKey) const {
  Key* from = Resolve(root);
  return from != nullptr && Find(from, subKey) != nullptr;
}

}  // namespace kelvano::test
