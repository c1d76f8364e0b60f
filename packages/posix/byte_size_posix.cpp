#include "packages/byte_size.h"

namespace kelvano {

std::string FormatByteSize(std::int32_t byteCount) { return ShortByteSizeText(static_cast<std::uint32_t>(byteCount)); }

}  // namespace kelvano
