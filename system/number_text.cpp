#include "system/number_text.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "system/setup_error.h"
#include "system/text_encoding.h"

namespace kelvano {
namespace {

// Length of the number at the start of text (sign, digits, fraction, exponent), 0 when
// there is none.
std::size_t NumberLength(std::string_view text) {
  std::size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  std::size_t digits = 0;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i, ++digits;
  if (i < text.size() && text[i] == '.') {
    ++i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i, ++digits;
  }
  if (digits == 0) return 0;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    std::size_t j = i + 1;
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
    const std::size_t exponentStart = j;
    while (j < text.size() && text[j] >= '0' && text[j] <= '9') ++j;
    if (j > exponentStart) i = j;
  }
  return i;
}

double ParseNumber(std::string_view text) {
  const std::string copy(text);
  return std::strtod(copy.c_str(), nullptr);
}

}  // namespace

double LeadingNumber(std::string_view text) {
  text = TrimBlanks(text);
  const std::size_t length = NumberLength(text);
  return length == 0 ? 0.0 : ParseNumber(text.substr(0, length));
}

double RoundHalfEven(double value) {
  const double floor = std::floor(value);
  const double diff = value - floor;
  if (diff > 0.5) return floor + 1;
  if (diff < 0.5) return floor;
  return std::fmod(floor, 2.0) == 0 ? floor : floor + 1;
}

std::optional<double> ParseWholeNumber(std::string_view text) {
  text = TrimBlanks(text);
  const std::size_t length = NumberLength(text);
  if (length == 0 || length != text.size()) return std::nullopt;
  return ParseNumber(text);
}

std::int32_t ToInt32(double value, const std::string& source) {
  const double rounded = RoundHalfEven(value);
  if (!(rounded >= -2147483648.0 && rounded <= 2147483647.0)) {
    throw SetupError(error_number::kOverflow, source, "Overflow");
  }
  return static_cast<std::int32_t>(rounded);
}

std::int16_t ToInt16(double value, const std::string& source) {
  const double rounded = RoundHalfEven(value);
  if (!(rounded >= -32768.0 && rounded <= 32767.0)) {
    throw SetupError(error_number::kOverflow, source, "Overflow");
  }
  return static_cast<std::int16_t>(rounded);
}

std::string NumberToText(double value) {
  if (std::isfinite(value) && value == std::trunc(value) && std::fabs(value) < 1e15) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.0f", value);
    return buffer;
  }
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.15g", value);
  return buffer;
}

}  // namespace kelvano
