#include "packages/http_fields.h"

#include "system/text_encoding.h"

namespace kelvano {
namespace {

// A number of at most 19 digits at the start of text, which it leaves after the number.
std::optional<std::uint64_t> TakeNumber(std::string_view& text) {
  std::size_t digits = 0;
  std::uint64_t value = 0;
  while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') {
    if (++digits > 19) return std::nullopt;
    value = value * 10 + static_cast<std::uint64_t>(text[digits - 1] - '0');
  }
  if (digits == 0) return std::nullopt;
  text.remove_prefix(digits);
  return value;
}

}  // namespace

std::optional<std::uint64_t> ParseContentLength(std::string_view text) {
  const std::optional<std::uint64_t> length = TakeNumber(text);
  if (!text.empty()) return std::nullopt;
  return length;
}

std::optional<ContentRange> ParseContentRange(std::string_view text) {
  text = TrimBlanks(text);
  if (text.size() < 6 || !EqualsIgnoreAsciiCase(text.substr(0, 6), "bytes ")) return std::nullopt;
  text = TrimBlanks(text.substr(6));
  ContentRange range;
  const auto first = TakeNumber(text);
  if (!first || text.empty() || text.front() != '-') return std::nullopt;
  text.remove_prefix(1);
  const auto last = TakeNumber(text);
  if (!last || *last < *first || text.empty() || text.front() != '/') return std::nullopt;
  text.remove_prefix(1);
  range.first = *first;
  if (text != "*") {
    range.total = TakeNumber(text);
    if (!range.total || !text.empty() || *range.total <= *last) return std::nullopt;
  }
  return range;
}

}  // namespace kelvano
