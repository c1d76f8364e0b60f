#pragma once
// The values of the HTTP header fields that a download reads, as the server wrote them.

#include <cstdint>
#include <optional>
#include <string_view>

namespace kelvano {

// Content-Length: 1 to 19 digits and nothing else; nothing for anything other.
std::optional<std::uint64_t> ParseContentLength(std::string_view text);

struct ContentRange {
  std::uint64_t first = 0;
  std::optional<std::uint64_t> total;  // "*": not said
};

// Content-Range: "bytes FIRST-LAST/TOTAL" or "bytes FIRST-LAST/*", with LAST not before
// FIRST and TOTAL past LAST; nothing for anything other.
std::optional<ContentRange> ParseContentRange(std::string_view text);

}  // namespace kelvano
