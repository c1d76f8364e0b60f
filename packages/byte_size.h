#pragma once
// Byte counts as the shell shows them in short: "532 bytes", "1.30 KB", "22.9 KB",
// "2.28 MB", always three significant digits, truncated, never rounded up.

#include <cstdint>
#include <string>
#include <string_view>

namespace kelvano {

// The short text of the count taken as an unsigned 32-bit number (-1 is 4 GiB - 1). On
// Windows the shell writes it, in the user's language; elsewhere ShortByteSizeText.
std::string FormatByteSize(std::int32_t byteCount);

// The same for any count: free space, space needed.
std::string FormatByteCount(std::uint64_t byteCount);

// The rule the shell follows, with the user's decimal separator.
std::string ShortByteSizeText(std::uint64_t byteCount, std::string_view decimalSeparator = ".");

}  // namespace kelvano
