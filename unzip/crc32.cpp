#include "unzip/crc32_paths.h"
#include "unzip/inflate.h"

namespace kelvano {

std::uint32_t Crc32(std::uint32_t crc, const std::uint8_t* data, std::size_t size) {
  static const auto update = crc32::HasClmul() ? crc32::UpdateWithClmul : crc32::UpdateWithTables;
  return ~update(~crc, data, size);
}

}  // namespace kelvano
