#pragma once
// The registry seam over the wide registry functions of Windows. Every key is opened in
// the 32-bit view, so the 64-bit test build sees what the shipped 32-bit program sees.

#include "system/registry_seam.h"

namespace kelvano {

class Win32Registry : public RegistrySeam {
 public:
  long CreateKey(RegistryHandle root, const std::string& subKey, std::uint32_t access,
                 RegistryHandle& key, std::uint32_t& disposition) override;
  long OpenKey(RegistryHandle root, const std::string& subKey, std::uint32_t access,
               RegistryHandle& key) override;
  long QueryValue(RegistryHandle key, const std::string& valueName, std::uint32_t& type,
                  std::uint8_t* data, std::uint32_t& size) override;
  long SetValue(RegistryHandle key, const std::string& valueName, std::uint32_t type,
                const std::uint8_t* data, std::uint32_t size) override;
  long DeleteValue(RegistryHandle key, const std::string& valueName) override;
  long CloseKey(RegistryHandle key) override;
};

}  // namespace kelvano
