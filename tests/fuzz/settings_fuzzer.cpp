// Any bytes as settings.ini: the text they make is valid UTF-8, reads the same when
// saved again as UTF-8 or as "Unicode" (UTF-16 either way round) with its mark, and
// every key the setup reads finds a value of one line, in valid UTF-8.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "startup/settings.h"
#include "system/text_encoding.h"

namespace {

// A key that begins another ("PRODUCT" and "PRODUCTCODE"), a download key, and the
// empty key, which every line with "=" matches.
constexpr const char* kKeys[] = {"PRODUCT", "PRODUCTCODE", "APIPORT", "MODE", "URL_DOTNET48", ""};

std::string Utf16File(std::string_view text, bool bigEndian) {
  std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  for (const char16_t unit : kelvano::Utf8ToUtf16(text)) {
    const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
    bytes.push_back(bigEndian ? high : low);
    bytes.push_back(bigEndian ? low : high);
  }
  return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kelvano;
  const std::string text = SettingsText(std::string(reinterpret_cast<const char*>(data), size));
  if (!IsValidUtf8(text)) std::abort();
  for (const std::string& saved : {"\xEF\xBB\xBF" + text, Utf16File(text, false), Utf16File(text, true)}) {
    if (SettingsText(saved) != text) std::abort();
  }
  for (const char* key : kKeys) {
    const std::string value = FindSetting(text, key);
    if (value.find_first_of("\r\n") != std::string::npos || !IsValidUtf8(value)) std::abort();
  }
  return 0;
}
