#pragma once
// A registry held in memory, with the Windows behaviours that the setup's rules rely on
// (case-insensitive names, access rights, error codes, handles that must be closed).
// Tests stage a machine with it; it counts the handles left open. HKEY_LOCAL_MACHINE has
// a second tree for the 64-bit view of 64-bit Windows (KEY_WOW64_64KEY), unless the
// machine is made a 32-bit Windows, where that flag reaches the one view.

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "system/registry_seam.h"

namespace kelvano::test {

class MemoryRegistry : public RegistrySeam {
 public:
  MemoryRegistry();
  ~MemoryRegistry() override;

  long CreateKey(RegistryHandle root, const std::string& subKey, std::uint32_t access, RegistryHandle& key,
                 std::uint32_t& disposition) override;
  long OpenKey(RegistryHandle root, const std::string& subKey, std::uint32_t access, RegistryHandle& key) override;
  long QueryValue(RegistryHandle key, const std::string& valueName, std::uint32_t& type, std::uint8_t* data,
                  std::uint32_t& size) override;
  long SetValue(RegistryHandle key, const std::string& valueName, std::uint32_t type, const std::uint8_t* data,
                std::uint32_t size) override;
  long DeleteValue(RegistryHandle key, const std::string& valueName) override;
  long CloseKey(RegistryHandle key) override;

  // Handles opened and not yet closed.
  std::size_t OpenHandleCount() const { return handles_.size(); }
  // A 32-bit Windows: one view.
  void SetSingleView() { singleView_ = true; }
  // Whether the key exists, without opening a handle.
  bool KeyExists(RegistryHandle root, const std::string& subKey) const;

 private:
  struct Value {
    std::string name;
    std::uint32_t type = 0;
    std::vector<std::uint8_t> data;
  };
  struct Key {
    std::map<std::string, std::unique_ptr<Key>> children;  // by lowered name
    std::map<std::string, Value> values;                   // by lowered name
  };
  struct Opened {
    Key* key;
    std::uint32_t access;
  };

  Key* Resolve(RegistryHandle handle, std::uint32_t access = 0) const;
  Key* Find(Key* from, const std::string& subKey) const;

  Key currentUser_;
  Key localMachine_;
  Key localMachine64_;
  bool singleView_ = false;
  std::map<RegistryHandle, Opened> handles_;
  RegistryHandle nextHandle_ = 0x1000;
};

}  // namespace kelvano::test
