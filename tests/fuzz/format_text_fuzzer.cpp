// FormatText on any template and values (NUL-separated: the template, then values that
// begin with T for a text, N for a number written as text, D for a date): it either
// fills the template or raises its own errors 9 and 13; no escape survives in what it
// returns, what it returns is UTF-8 when all it was given is, and its length stays in
// proportion to what it was given. Number patterns show a digit for every "0".
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <optional>
#include <string_view>
#include <variant>
#include <vector>

#include "startup/format_pattern.h"
#include "startup/format_text.h"
#include "system/date_time.h"
#include "system/setup_error.h"
#include "system/text_encoding.h"

namespace {

using kelvano::FormatValue;

std::vector<std::string_view> Split(std::string_view input) {
  std::vector<std::string_view> parts;
  for (std::size_t start = 0;;) {
    const std::size_t nul = input.find('\0', start);
    parts.push_back(input.substr(start, nul == std::string_view::npos ? nul : nul - start));
    if (nul == std::string_view::npos) return parts;
    start = nul + 1;
  }
}

std::optional<FormatValue> Value(std::string_view part) {
  if (part.empty()) return std::nullopt;
  const std::string rest(part.substr(1));
  if (part[0] == 'N') return FormatValue(std::strtod(rest.c_str(), nullptr));
  if (part[0] == 'D') {
    kelvano::DateTime date;
    if (std::sscanf(rest.c_str(), "%d-%d-%d %d:%d:%d", &date.year, &date.month, &date.day, &date.hour, &date.minute,
                    &date.second) < 3 ||
        !kelvano::IsValidDate(date)) {
      return std::nullopt;
    }
    return FormatValue(date);
  }
  return FormatValue(rest);
}

std::string Format(std::string_view format, const std::vector<FormatValue>& v) {
  switch (v.size()) {
    case 0: return kelvano::FormatTextValues(format, {});
    case 1: return kelvano::FormatTextValues(format, {v[0]});
    case 2: return kelvano::FormatTextValues(format, {v[0], v[1]});
    default: return kelvano::FormatTextValues(format, {v[0], v[1], v[2]});
  }
}

std::size_t Count(std::string_view text, char c) {
  std::size_t n = 0;
  for (const char x : text) n += x == c;
  return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::vector<std::string_view> parts = Split(input);
  std::vector<FormatValue> values;
  bool utf8 = kelvano::IsValidUtf8(parts[0]);
  for (std::size_t i = 1; i < parts.size() && values.size() < 3; ++i) {
    if (std::optional<FormatValue> value = Value(parts[i])) {
      values.push_back(*value);
      utf8 = utf8 && kelvano::IsValidUtf8(parts[i].substr(1));
    }
  }

  try {
    const std::string text = Format(parts[0], values);
    if (text.find("\\n") != std::string::npos || text.find("\\t") != std::string::npos) std::abort();
    if (utf8 && !kelvano::IsValidUtf8(text)) std::abort();
    if (text.size() > 1024 * size + 4096) std::abort();
  } catch (const kelvano::SetupError& error) {
    if (error.Number() != 9 && error.Number() != 13) std::abort();
  }

  // A plain number pattern (one section, nothing quoted) shows at least one digit for
  // every "0" in it, whatever the value.
  if (values.size() == 1 && std::holds_alternative<double>(values[0].Get()) && kelvano::IsNumberPattern(parts[0]) &&
      parts[0].find_first_of(";\"\\") == std::string_view::npos) {
    const double number = std::get<double>(values[0].Get());
    if (std::isfinite(number)) {
      const std::string shown = kelvano::FormatNumberPattern(number, parts[0]);
      std::size_t digits = 0;
      for (const char c : shown) digits += c >= '0' && c <= '9';
      if (digits < Count(parts[0], '0')) std::abort();
    }
  }
  return 0;
}
