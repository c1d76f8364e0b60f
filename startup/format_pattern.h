#pragma once
// Format patterns for placeholders such as "{0:yyyy-mm-dd}" or "{0:#,##0.00}". No
// message of the setup uses one; they follow the familiar Basic forms.

#include <string>
#include <string_view>

#include "system/date_time.h"

namespace kelvano {

// Date tokens: d dd ddd dddd, w, ww (weeks start on Sunday; week 1 holds 1 January),
// m mm mmm mmmm (minutes when they follow h or precede s), q, y, yy yyyy, h hh, n nn,
// s ss, AM/PM am/pm A/P a/p. Text in double quotes and a character after a backslash
// are copied as they stand, as is any other character.
std::string FormatDatePattern(const DateTime& date, std::string_view pattern);

// Number patterns: "0" a digit always shown, "#" a digit shown when significant, "." the
// decimal point, "," between digits groups thousands, "%" multiplies by 100; up to three
// sections "positive;negative;zero". Other characters are copied.
std::string FormatNumberPattern(double value, std::string_view pattern);

// Whether a pattern is a number pattern (it holds a 0 or # outside quotes).
bool IsNumberPattern(std::string_view pattern);

}  // namespace kelvano
