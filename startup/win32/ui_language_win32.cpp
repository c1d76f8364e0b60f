#include <windows.h>

#include "startup/messages.h"

namespace kelvano {

MessageLanguage UserInterfaceLanguage() {
  return PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_ENGLISH ? MessageLanguage::English
                                                                   : MessageLanguage::Italian;
}

}  // namespace kelvano
