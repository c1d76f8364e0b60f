#pragma once
// Numbers read from texts that users and the registry write.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kelvano {

// The number at the start of the text, after leading blanks: an optional sign, digits,
// an optional fraction and exponent. No number gives 0 ("8080x" gives 8080, "x" 0).
double LeadingNumber(std::string_view text);

// Rounds to the nearest whole number, a half to the even neighbour (80.5 gives 80).
double RoundHalfEven(double value);

// The whole text (blanks around it allowed) as a number, or nothing when it is not one.
std::optional<double> ParseWholeNumber(std::string_view text);

// A number as rounded 32-bit or 16-bit integer; raises error 6 "Overflow" outside the
// range.
std::int32_t ToInt32(double value, const std::string& source);
std::int16_t ToInt16(double value, const std::string& source);

// Ordinary decimal text of a number: integers without a fraction, others with up to
// 15 significant digits and "." as the separator.
std::string NumberToText(double value);

}  // namespace kelvano
