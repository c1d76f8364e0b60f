#pragma once
// The registry seam over the wide registry functions of Windows. A key opened without a
// view flag is seen as the 32-bit setup sees it: the 32-bit build asks for no view
// (Windows 2000 refuses the flags) and gets a 32-bit process's; the 64-bit build asks for
// the 32-bit view. A view named by the caller is passed on as it is.

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
