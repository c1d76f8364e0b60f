#include <windows.h>
#include <shlwapi.h>

#include "packages/byte_size.h"
#include "system/win32/wide_text.h"

namespace kelvano {

std::string FormatByteCount(std::uint64_t byteCount) {
  wchar_t buffer[100] = {};
  StrFormatByteSizeW(static_cast<LONGLONG>(byteCount & 0x7FFFFFFFFFFFFFFFull), buffer, 100);
  std::wstring_view text(buffer);
  while (!text.empty() && text.front() == L' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == L' ') text.remove_suffix(1);
  return Narrow(text);
}

// The wide function takes 64 bits; the count goes in as the unsigned 32-bit number that
// the ANSI function would see.
std::string FormatByteSize(std::int32_t byteCount) { return FormatByteCount(static_cast<std::uint32_t>(byteCount)); }

}  // namespace kelvano
