#include "startup/format_text.h"

#include <optional>
#include <vector>

#include "startup/format_pattern.h"
#include "system/number_text.h"
#include "system/setup_error.h"
#include "system/text_encoding.h"

namespace kelvano {
namespace {

const char kSource[] = "FormatText";

bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// The fields of "yyyy-mm-dd[ hh:nn[:ss]]" that text holds, counted as
// sscanf(text, "%4d-%2d-%2d %2d:%2d:%2d%c") counts them: up to the first that fails, a
// character after the seconds as a seventh. Written out, as the C library's scanf
// would bring a large formatter into the program for this one use.
int ScanDateFields(std::string_view text, DateTime& date) {
  text = text.substr(0, text.find('\0'));
  std::size_t at = 0;
  const auto blanks = [&] {
    while (at < text.size() && IsSpace(text[at])) ++at;
  };
  // %Nd: blanks, then at most N characters of an optional sign and digits.
  const auto number = [&](int width, int& field) {
    blanks();
    int used = 0;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
      negative = text[at++] == '-';
      ++used;
    }
    int digits = 0, value = 0;
    for (; at < text.size() && used < width && text[at] >= '0' && text[at] <= '9'; ++at, ++used, ++digits) {
      value = value * 10 + (text[at] - '0');
    }
    if (digits > 0) field = negative ? -value : value;
    return digits > 0;
  };
  // Each field after what stands before it in the pattern: nothing, a character, or
  // (' ') any blanks.
  struct Field {
    char before;
    int width;
    int DateTime::*value;
  };
  static constexpr Field kFields[] = {{'\0', 4, &DateTime::year},  {'-', 2, &DateTime::month},
                                      {'-', 2, &DateTime::day},    {' ', 2, &DateTime::hour},
                                      {':', 2, &DateTime::minute}, {':', 2, &DateTime::second}};
  int fields = 0;
  for (const Field& field : kFields) {
    if (field.before == ' ') {
      blanks();
    } else if (field.before != '\0') {
      if (at >= text.size() || text[at] != field.before) return fields;
      ++at;
    }
    if (!number(field.width, date.*field.value)) return fields;
    ++fields;
  }
  return at < text.size() ? fields + 1 : fields;
}

std::optional<DateTime> ParseDateText(std::string_view text) {
  // yyyy-mm-dd[ hh:nn[:ss]]
  DateTime date;
  const int fields = ScanDateFields(TrimBlanks(text), date);
  if ((fields == 3 || fields == 5 || fields == 6) && IsValidDate(date)) return date;
  return std::nullopt;
}

DateTime AsDate(const FormatValue& value) {
  const auto& v = value.Get();
  if (const auto* date = std::get_if<DateTime>(&v)) return *date;
  if (const auto* number = std::get_if<double>(&v)) {
    if (*number > -657435.0 && *number < 2958466.0) return DateFromSerial(*number);
  }
  if (const auto* text = std::get_if<std::string>(&v)) {
    if (const auto date = ParseDateText(*text)) return *date;
    if (const auto number = ParseWholeNumber(*text)) return AsDate(FormatValue(*number));
  }
  throw SetupError(error_number::kTypeMismatch, kSource, "Type mismatch");
}

std::string AsText(const FormatValue& value) {
  const auto& v = value.Get();
  if (const auto* text = std::get_if<std::string>(&v)) return *text;
  if (const auto* number = std::get_if<double>(&v)) return NumberToText(*number);
  return FormatDate(std::get<DateTime>(v), DateForm::General);
}

std::string ApplyFormat(const FormatValue& value, std::string_view format) {
  if (format == "G") return FormatDate(AsDate(value), DateForm::General);
  if (format == "d") return FormatDate(AsDate(value), DateForm::ShortDate);
  if (format == "g") return FormatDate(AsDate(value), DateForm::LongDate);
  if (format == "T") return FormatDate(AsDate(value), DateForm::LongTime);
  if (format == "t") return FormatDate(AsDate(value), DateForm::ShortTime);
  const auto& v = value.Get();
  if (IsNumberPattern(format)) {
    if (const auto* number = std::get_if<double>(&v)) return FormatNumberPattern(*number, format);
    if (const auto* text = std::get_if<std::string>(&v)) {
      if (const auto number = ParseWholeNumber(*text)) return FormatNumberPattern(*number, format);
      return *text;  // text that is no number is shown as it is
    }
  }
  if (std::holds_alternative<std::string>(v)) {
    const auto& text = std::get<std::string>(v);
    if (!ParseDateText(text) && !ParseWholeNumber(text)) return text;
  }
  return FormatDatePattern(AsDate(value), format);
}

std::string ReplaceAll(std::string text, std::string_view from, std::string_view to) {
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
  return text;
}

}  // namespace

std::string FormatTextValues(std::string_view format, std::initializer_list<FormatValue> values) {
  const std::vector<FormatValue> list(values);
  std::string result;
  std::size_t scan = 0;
  for (;;) {
    const std::size_t open = format.find('{', scan);
    if (open == std::string_view::npos) {
      result.append(format.substr(scan));
      break;
    }
    const std::size_t close = format.find('}', open);
    if (close == std::string_view::npos) {
      result.append(format.substr(scan));  // an unterminated "{" stays as it stands
      break;
    }
    result.append(format.substr(scan, open - scan));
    const std::string_view body = format.substr(open + 1, close - open - 1);
    if (!body.empty()) {
      // The first ":" separates the value's number from its format.
      const std::size_t colon = body.find(':');
      const double index = RoundHalfEven(LeadingNumber(body.substr(0, colon)));
      if (index < 0 || index >= static_cast<double>(list.size())) {
        throw SetupError(error_number::kSubscriptOutOfRange, kSource, "Subscript out of range");
      }
      const FormatValue& value = list[static_cast<std::size_t>(index)];
      result += colon == std::string_view::npos ? AsText(value) : ApplyFormat(value, body.substr(colon + 1));
    }
    scan = close + 1;
  }
  result = ReplaceAll(std::move(result), "\\n", "\r\n");
  return ReplaceAll(std::move(result), "\\t", "\t");
}

}  // namespace kelvano
