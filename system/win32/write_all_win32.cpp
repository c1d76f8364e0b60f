#include <windows.h>

#include "system/win32/platform_file_handle.h"
#include "system/write_all.h"

namespace kelvano {

bool WriteAll(PlatformFileHandle file, const void* data, std::size_t size) {
  const char* next = static_cast<const char*>(data);
  while (size > 0) {
    // WriteFile counts in 32 bits.
    const DWORD piece = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
    DWORD written = 0;
    if (!WriteFile(AsHandle(file), next, piece, &written, nullptr) || written == 0) return false;
    next += written;
    size -= written;
  }
  return true;
}

}  // namespace kelvano
