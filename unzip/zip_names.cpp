#include "unzip/zip_names.h"

#include "system/text_encoding.h"

namespace kelvano {
namespace {

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// Windows drops trailing dots and blanks from a component.
std::string_view WithoutTrailingDotsAndBlanks(std::string_view part) {
  while (!part.empty() && (part.back() == '.' || part.back() == ' ')) part.remove_suffix(1);
  return part;
}

bool IsDeviceName(std::string_view part) {
  // The device is named by the text before the first dot, trailing blanks dropped:
  // "con.txt" and "NUL .log" are devices too.
  part = part.substr(0, part.find('.'));
  while (!part.empty() && part.back() == ' ') part.remove_suffix(1);
  for (const std::string_view device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"}) {
    if (EqualsIgnoreAsciiCase(part, device)) return true;
  }
  if (part.size() < 4) return false;
  const std::string_view prefix = part.substr(0, 3);
  if (!EqualsIgnoreAsciiCase(prefix, "COM") && !EqualsIgnoreAsciiCase(prefix, "LPT")) return false;
  // COM0-COM9 and LPT0-LPT9, and the superscript digits 1, 2 and 3 that Windows takes too.
  const std::string_view number = part.substr(3);
  return (number.size() == 1 && number[0] >= '0' && number[0] <= '9') || number == "\xC2\xB9" || number == "\xC2\xB2" ||
         number == "\xC2\xB3";
}

bool IsSafeComponent(std::string_view part, NameRules rules) {
  if (part == "..") return false;
  if (rules == NameRules::Windows) {
    if (part != "." && !part.empty() && WithoutTrailingDotsAndBlanks(part).empty()) return false;
    if (IsDeviceName(part)) return false;
  }
  return true;
}

}  // namespace

std::string DecodeEntryText(std::string_view bytes, bool utf8) {
  if (!utf8) return DecodeOem(bytes);
  if (IsValidUtf8(bytes)) return std::string(bytes);
  return Utf16ToUtf8(Utf8ToUtf16(bytes));
}

bool IsSafeEntryName(std::string_view name, NameRules rules) {
  if (name.empty() || name.front() == '\\') return false;
  if (name.size() >= 2 && IsAsciiLetter(name[0]) && name[1] == ':') return false;
  for (const char c : name) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return false;
    if (rules == NameRules::Windows && c == ':') return false;
  }
  for (std::size_t start = 0; start <= name.size();) {
    std::size_t end = name.find('\\', start);
    if (end == std::string_view::npos) end = name.size();
    if (!IsSafeComponent(name.substr(start, end - start), rules)) return false;
    start = end + 1;
  }
  return true;
}

}  // namespace kelvano
