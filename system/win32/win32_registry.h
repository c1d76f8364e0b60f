#pragma once
// The registry seam over the wide registry functions of Windows. No view flag is asked
// for (Windows 2000 refuses them): the 32-bit setup sees the view that Windows gives a
// 32-bit process.

#include "system/registry_seam.h"

namespace kelvano {

class Win32Registry : public RegistrySeam {
 public:
  long CreateKey(RegistryHandle root, const std::string& subKey, std::uint32_t access, RegistryHandle& key,
                 std::uint32_t& disposition) override;
  long OpenKey(RegistryHandle root, const std::string& subKey, std::uint32_t access, RegistryHandle& key) override;
  long QueryValue(RegistryHandle key, const std::string& valueName, std::uint32_t& type, std::uint8_t* data,
                  std::uint32_t& size) override;
  long SetValue(RegistryHandle key, const std::string& valueName, std::uint32_t type, const std::uint8_t* data,
                std::uint32_t size) override;
  long DeleteValue(RegistryHandle key, const std::string& valueName) override;
  long CloseKey(RegistryHandle key) override;
};

}  // namespace kelvano
