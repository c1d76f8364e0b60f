#include <cstdlib>
#include <string_view>

#include "startup/messages.h"

namespace kelvano {

// The locale variables stand in for the Windows user-interface language.
MessageLanguage UserInterfaceLanguage() {
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') {
      return std::string_view(value).substr(0, 2) == "en" ? MessageLanguage::English : MessageLanguage::Italian;
    }
  }
  return MessageLanguage::Italian;
}

}  // namespace kelvano
