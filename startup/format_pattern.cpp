#include "startup/format_pattern.h"

#include <cmath>
#include <cstdio>
#include <vector>

#include "system/text_encoding.h"

namespace kelvano {
namespace {

const char* const kMonthNames[] = {"January", "February", "March",     "April",   "May",      "June",
                                   "July",    "August",   "September", "October", "November", "December"};
const char* const kDayNames[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};

std::string TwoDigits(int value) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%02d", value);
  return buffer;
}

std::size_t RunLength(std::string_view text, std::size_t at) {
  const char c = static_cast<char>(AsciiLower(text.substr(at, 1))[0]);
  std::size_t n = 0;
  while (at + n < text.size() && AsciiLower(text.substr(at + n, 1))[0] == c) ++n;
  return n;
}

int DayOfYear(const DateTime& date) {
  return static_cast<int>(DaysFromCivil(date.year, date.month, date.day) - DaysFromCivil(date.year, 1, 1)) + 1;
}

// Week 1 holds 1 January; weeks start on Sunday.
int WeekOfYear(const DateTime& date) {
  const int firstWeekday = DayOfWeek(DateTime{date.year, 1, 1});
  return (DayOfYear(date) + firstWeekday - 2) / 7 + 1;
}

// Whether the "m" run at position i means minutes: after an hour token or before seconds.
bool MinutesContext(std::string_view pattern, std::size_t i, std::size_t length) {
  for (std::size_t k = i; k-- > 0;) {
    const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(pattern[k])));
    if (c == 'h') return true;
    if (c != ' ' && c != ':') break;
  }
  for (std::size_t k = i + length; k < pattern.size(); ++k) {
    const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(pattern[k])));
    if (c == 's') return true;
    if (c != ' ' && c != ':') break;
  }
  return false;
}

}  // namespace

std::string FormatDatePattern(const DateTime& date, std::string_view pattern) {
  const bool twelveHour =
      AsciiLower(pattern).find("am/pm") != std::string::npos || AsciiLower(pattern).find("a/p") != std::string::npos;
  std::string out;
  for (std::size_t i = 0; i < pattern.size();) {
    const char c = pattern[i];
    const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (c == '"') {
      const std::size_t end = pattern.find('"', i + 1);
      const std::size_t stop = end == std::string_view::npos ? pattern.size() : end;
      out += pattern.substr(i + 1, stop - i - 1);
      i = stop + 1;
      continue;
    }
    if (c == '\\' && i + 1 < pattern.size()) {
      out += pattern[i + 1];
      i += 2;
      continue;
    }
    if (EqualsIgnoreAsciiCase(pattern.substr(i, 5), "am/pm")) {
      const bool am = date.hour < 12;
      const std::string_view token = pattern.substr(i, 5);
      out += token[0] == 'a' || token[0] == 'p' ? (am ? "am" : "pm") : (am ? "AM" : "PM");
      i += 5;
      continue;
    }
    if (EqualsIgnoreAsciiCase(pattern.substr(i, 3), "a/p")) {
      const bool am = date.hour < 12;
      out += pattern[i] == 'a' ? (am ? "a" : "p") : (am ? "A" : "P");
      i += 3;
      continue;
    }
    const std::size_t n = RunLength(pattern, i);
    switch (lower) {
      case 'd':
        if (n == 1)
          out += std::to_string(date.day);
        else if (n == 2)
          out += TwoDigits(date.day);
        else if (n == 3)
          out += std::string(kDayNames[DayOfWeek(date) - 1]).substr(0, 3);
        else
          out += kDayNames[DayOfWeek(date) - 1];
        break;
      case 'w': out += std::to_string(n == 1 ? DayOfWeek(date) : WeekOfYear(date)); break;
      case 'm':
        if (n <= 2 && MinutesContext(pattern, i, n))
          out += n == 1 ? std::to_string(date.minute) : TwoDigits(date.minute);
        else if (n == 1)
          out += std::to_string(date.month);
        else if (n == 2)
          out += TwoDigits(date.month);
        else if (n == 3)
          out += std::string(kMonthNames[date.month - 1]).substr(0, 3);
        else
          out += kMonthNames[date.month - 1];
        break;
      case 'q': out += std::to_string((date.month - 1) / 3 + 1); break;
      case 'y':
        if (n == 1)
          out += std::to_string(DayOfYear(date));
        else if (n <= 3)
          out += TwoDigits(date.year % 100);
        else
          out += std::to_string(date.year);
        break;
      case 'h': {
        int hour = date.hour;
        if (twelveHour) hour = hour % 12 == 0 ? 12 : hour % 12;
        out += n == 1 ? std::to_string(hour) : TwoDigits(hour);
        break;
      }
      case 'n': out += n == 1 ? std::to_string(date.minute) : TwoDigits(date.minute); break;
      case 's': out += n == 1 ? std::to_string(date.second) : TwoDigits(date.second); break;
      default: out.append(pattern.substr(i, n)); break;
    }
    i += n;
  }
  return out;
}

bool IsNumberPattern(std::string_view pattern) {
  bool quoted = false;
  for (const char c : pattern) {
    if (c == '"')
      quoted = !quoted;
    else if (!quoted && (c == '0' || c == '#'))
      return true;
  }
  return false;
}

std::string FormatNumberPattern(double value, std::string_view pattern) {
  std::vector<std::string_view> sections;
  for (std::size_t start = 0;;) {
    const std::size_t end = pattern.find(';', start);
    sections.push_back(pattern.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  std::string_view section = sections[0];
  bool showSign = value < 0;
  if (value < 0 && sections.size() > 1 && !sections[1].empty()) {
    section = sections[1];
    showSign = false;
  } else if (value == 0 && sections.size() > 2 && !sections[2].empty()) {
    section = sections[2];
  }
  const double magnitude = std::fabs(value);

  // The digit field runs from the first to the last placeholder.
  const std::size_t first = section.find_first_of("0#");
  const std::size_t last = section.find_last_of("0#");
  if (first == std::string_view::npos) return std::string(section);
  std::size_t fieldStart = first, fieldEnd = last + 1;
  while (fieldStart > 0 && (section[fieldStart - 1] == '.' || section[fieldStart - 1] == ',')) --fieldStart;
  const std::string_view field = section.substr(fieldStart, fieldEnd - fieldStart);
  const std::size_t point = field.find('.');
  const std::string_view integerField = field.substr(0, point);
  const std::string_view fractionField = point == std::string_view::npos ? std::string_view() : field.substr(point + 1);

  int minInteger = 0;
  for (const char c : integerField) minInteger += c == '0';
  int maxFraction = 0, minFraction = 0;
  for (const char c : fractionField) {
    maxFraction += c == '0' || c == '#';
    minFraction += c == '0';
  }
  const bool grouping = integerField.find(',') != std::string_view::npos;

  // "%" shows a hundred times the value: two decimals more, then the point moved past
  // them, which no value can overflow.
  const int percentShift = section.find('%') != std::string_view::npos ? 2 : 0;
  const int decimals = maxFraction + percentShift;
  // Round half away from zero at the last shown decimal. A value too large to hold
  // decimals there has nothing to round, and scaling it would overflow.
  const double scale = std::pow(10.0, decimals);
  const double scaled = magnitude * scale;
  const double rounded = scaled < 0x1p53 ? std::floor(scaled + 0.5) / scale : magnitude;
  // Room for the 309 digits of the largest double, the point and every decimal.
  std::string digits(static_cast<std::size_t>(decimals) + 312, '\0');
  digits.resize(static_cast<std::size_t>(std::snprintf(digits.data(), digits.size(), "%.*f", decimals, rounded)));
  const std::size_t digitsPoint = digits.find('.');
  std::string integerPart = digits.substr(0, digitsPoint);
  std::string fractionPart = decimals > 0 ? digits.substr(digitsPoint + 1) : std::string();
  integerPart += fractionPart.substr(0, percentShift);
  fractionPart.erase(0, percentShift);
  integerPart.erase(0, std::min(integerPart.find_first_not_of('0'), integerPart.size() - 1));
  while (static_cast<int>(fractionPart.size()) > minFraction && !fractionPart.empty() && fractionPart.back() == '0') {
    fractionPart.pop_back();
  }
  if (integerPart == "0" && minInteger == 0) integerPart.clear();
  if (static_cast<int>(integerPart.size()) < minInteger) {
    integerPart = std::string(static_cast<std::size_t>(minInteger) - integerPart.size(), '0') + integerPart;
  }
  if (grouping) {
    std::string grouped;
    for (std::size_t i = 0; i < integerPart.size(); ++i) {
      if (i > 0 && (integerPart.size() - i) % 3 == 0) grouped += ',';
      grouped += integerPart[i];
    }
    integerPart = grouped;
  }
  std::string number = integerPart;
  if (point != std::string_view::npos && (!fractionPart.empty() || minFraction > 0))
    number += "." + fractionPart;
  else if (point != std::string_view::npos && fractionField.empty())
    number += ".";

  std::string out;
  if (showSign && rounded != 0) out += '-';
  for (std::size_t i = 0; i < fieldStart; ++i) {
    if (section[i] != '"') out += section[i];
  }
  out += number;
  for (std::size_t i = fieldEnd; i < section.size(); ++i) {
    if (section[i] != '"') out += section[i];
  }
  return out;
}

}  // namespace kelvano
