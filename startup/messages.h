#pragma once
// The numbered messages that the setup shows, in Italian and English.

#include <cstdint>
#include <string>

namespace kelvano {

enum class MessageLanguage { Italian, English };

// English for an English Windows user interface, Italian for every other language.
MessageLanguage UserInterfaceLanguage();

// The text of message 101 to 135 before formatting; pass it through FormatText. A number
// that is not in the catalogue raises error 5.
std::string LoadMessage(int number);
std::string LoadMessage(int number, MessageLanguage language);

}  // namespace kelvano
