#include "system/win32/wide_text.h"

#include "system/text_encoding.h"

namespace kelvano {

// wchar_t is UTF-16 on Windows, so the portable conversions serve.
std::wstring Widen(std::string_view utf8) {
  const std::u16string wide = Utf8ToUtf16(utf8);
  return std::wstring(wide.begin(), wide.end());
}

std::string Narrow(std::wstring_view wide) {
  return Utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(wide.data()), wide.size()));
}

}  // namespace kelvano
