#include "startup/format_text.h"

#include <cstdio>
#include <optional>
#include <vector>

#include "startup/format_pattern.h"
#include "system/number_text.h"
#include "system/setup_error.h"
#include "system/text_encoding.h"

namespace kelvano {
namespace {

const char kSource[] = "FormatText";

std::optional<DateTime> ParseDateText(std::string_view text) {
  // yyyy-mm-dd[ hh:nn[:ss]]
  DateTime date;
  char tail = 0;
  const std::string copy(TrimBlanks(text));
  const int fields = std::sscanf(copy.c_str(), "%4d-%2d-%2d %2d:%2d:%2d%c", &date.year, &date.month,
                                 &date.day, &date.hour, &date.minute, &date.second, &tail);
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
