#pragma once
// Entry names: how their bytes become text, and which of them may be written below
// the target folder.

#include <string>
#include <string_view>

namespace kelvano {

// Names and comments flagged as UTF-8 (flag bit 11) are UTF-8, with malformed
// sequences replaced; others are in the OEM code page.
std::string DecodeEntryText(std::string_view bytes, bool utf8);

// Windows adds its own dangers: alternate data streams after a ":", device names
// (CON, NUL, COM1...) in any folder, and trailing dots and blanks that Windows drops
// (so ". ." means "..").
enum class NameRules { Portable, Windows };
// The rules of the system the program runs on.
extern const NameRules kSystemNameRules;

// True when the entry name ("\" between folders) stays inside the target folder: not
// empty, no leading "\" (absolute or UNC), no drive letter, no ".." component, no
// control characters (a NUL would cut the name short).
bool IsSafeEntryName(std::string_view name, NameRules rules);

}  // namespace kelvano
