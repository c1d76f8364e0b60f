#include <cerrno>
#include <cstring>

#include "system/system_error_text.h"

namespace kelvano {

long LastSystemError() { return errno; }

std::string SystemErrorText(long error) {
  return "error " + std::to_string(error) + ": " + std::strerror(static_cast<int>(error));
}

}  // namespace kelvano
