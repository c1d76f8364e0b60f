#include <windows.h>
#include <shlwapi.h>

#include "packages/byte_size.h"
#include "system/text_encoding.h"

namespace kelvano {

std::string FormatByteSize(std::int32_t byteCount) {
  wchar_t buffer[100] = {};
  // The wide function takes 64 bits; the count goes in as the unsigned 32-bit number
  // that the ANSI function would see.
  StrFormatByteSizeW(static_cast<LONGLONG>(static_cast<std::uint32_t>(byteCount)), buffer, 100);
  std::wstring_view text(buffer);
  while (!text.empty() && text.front() == L' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == L' ') text.remove_suffix(1);
  return Narrow(text);
}

}  // namespace kelvano
