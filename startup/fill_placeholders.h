#pragma once
// FillPlaceholders: "{0}", "{1}"... of a text filled with other texts as they stand. For
// values that FormatText would change (a path or a technical description, whose "\n" or
// "\t" are no escapes), and for command lines.

#include <initializer_list>
#include <string>
#include <string_view>

namespace kelvano {

// The escapes of `format` itself (backslash-n, backslash-t) become a line break and a
// tab, as FormatText makes them; a placeholder without a value stays as written.
std::string FillPlaceholders(std::string_view format, std::initializer_list<std::string_view> values);

}  // namespace kelvano
