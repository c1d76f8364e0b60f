#pragma once
// Text conversions at the edges of the program. Inside, every text is UTF-8; Windows
// gets UTF-16, files and archives may bring single-byte code pages.

#include <cstdint>
#include <string>
#include <string_view>

namespace kelvano {

std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);
// UTF-16 bytes, little- or big-endian, as UTF-8. An unpaired surrogate and a last odd
// byte each become U+FFFD: visible where they were, nothing dropped unseen.
std::string DecodeUtf16(std::string_view bytes, bool bigEndian);
bool IsValidUtf8(std::string_view bytes);

// Windows-1252 and OEM 437, the code pages of a western Windows; the Windows builds
// use the system's own ANSI and OEM code pages instead (see DecodeAnsi/DecodeOem).
std::string DecodeWindows1252(std::string_view bytes);
std::string DecodeCp437(std::string_view bytes);

// The system's ANSI and OEM code pages (Windows), or their western defaults elsewhere.
std::string DecodeAnsi(std::string_view bytes);
std::string DecodeOem(std::string_view bytes);

// ASCII-only case folding: keys, option words and extensions are ASCII.
std::string AsciiLower(std::string_view text);
bool EqualsIgnoreAsciiCase(std::string_view a, std::string_view b);

// Blanks are spaces and tabs.
std::string_view TrimBlanks(std::string_view text);

}  // namespace kelvano
