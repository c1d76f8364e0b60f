#include <unistd.h>

#include <cerrno>

#include "system/write_all.h"

namespace kelvano {

bool WriteAll(PlatformFileHandle file, const void* data, std::size_t size) {
  const char* next = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t written = write(static_cast<int>(file), next, size);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    next += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

}  // namespace kelvano
