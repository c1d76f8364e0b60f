#include "system/text_encoding.h"

namespace kelvano {

// Away from Windows the western defaults stand in for the system's code pages.
std::string DecodeAnsi(std::string_view bytes) { return DecodeWindows1252(bytes); }
std::string DecodeOem(std::string_view bytes) { return DecodeCp437(bytes); }

}  // namespace kelvano
