#include "packages/byte_size.h"

namespace kelvano {

std::string FormatByteCount(std::uint64_t byteCount) { return ShortByteSizeText(byteCount); }

std::string FormatByteSize(std::int32_t byteCount) { return FormatByteCount(static_cast<std::uint32_t>(byteCount)); }

}  // namespace kelvano
