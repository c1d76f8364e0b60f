#pragma once
// FormatText: fills "{0}", "{1}"... of a message with its values and turns the escapes
// backslash-n and backslash-t into a line break and a tab.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <variant>

#include "system/date_time.h"

namespace kelvano {

// One value for a placeholder: text, a number or a date.
class FormatValue {
 public:
  FormatValue(const char* text) : value_(std::string(text)) {}
  FormatValue(std::string text) : value_(std::move(text)) {}
  FormatValue(std::string_view text) : value_(std::string(text)) {}
  FormatValue(int number) : value_(static_cast<double>(number)) {}
  FormatValue(long number) : value_(static_cast<double>(number)) {}
  FormatValue(long long number) : value_(static_cast<double>(number)) {}
  FormatValue(unsigned number) : value_(static_cast<double>(number)) {}
  FormatValue(unsigned long number) : value_(static_cast<double>(number)) {}
  FormatValue(unsigned long long number) : value_(static_cast<double>(number)) {}
  FormatValue(double number) : value_(number) {}
  FormatValue(DateTime date) : value_(date) {}

  const std::variant<std::string, double, DateTime>& Get() const { return value_; }

 private:
  std::variant<std::string, double, DateTime> value_;
};

// A placeholder without a value raises error 9; a date form of a value that is not a
// date raises error 13.
std::string FormatTextValues(std::string_view format, std::initializer_list<FormatValue> values);

template <class... Values>
std::string FormatText(std::string_view format, const Values&... values) {
  return FormatTextValues(format, {FormatValue(values)...});
}

}  // namespace kelvano
