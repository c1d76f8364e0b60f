#include "startup/fill_placeholders.h"

namespace kelvano {

std::string FillPlaceholders(std::string_view format, std::initializer_list<std::string_view> values) {
  std::string out;
  for (std::size_t i = 0; i < format.size(); ++i) {
    const char c = format[i];
    if (c == '\\' && i + 1 < format.size() && (format[i + 1] == 'n' || format[i + 1] == 't')) {
      out += format[++i] == 'n' ? "\r\n" : "\t";
    } else if (c == '{' && i + 2 < format.size() && format[i + 2] == '}' && format[i + 1] >= '0' &&
               static_cast<std::size_t>(format[i + 1] - '0') < values.size()) {
      out += values.begin()[format[i + 1] - '0'];
      i += 2;
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace kelvano
