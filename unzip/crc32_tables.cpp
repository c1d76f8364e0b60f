#include <array>
#include <cstring>

#include "unzip/crc32_paths.h"

namespace kelvano::crc32 {
namespace {

constexpr std::uint32_t kPolynomial = 0xEDB88320u;  // reflected 0x04C11DB7

// Slice-by-16: table k gives the CRC of a byte followed by k zero bytes.
constexpr auto kTables = [] {
  std::array<std::array<std::uint32_t, 256>, 16> tables{};
  for (std::uint32_t n = 0; n < 256; ++n) {
    std::uint32_t c = n;
    for (int bit = 0; bit < 8; ++bit) c = (c >> 1) ^ (kPolynomial & (0u - (c & 1)));
    tables[0][n] = c;
  }
  for (std::size_t k = 1; k < 16; ++k)
    for (std::uint32_t n = 0; n < 256; ++n) tables[k][n] = (tables[k - 1][n] >> 8) ^ tables[0][tables[k - 1][n] & 0xFF];
  return tables;
}();

inline std::uint32_t Load32(const std::uint8_t* p) {
  return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}

}  // namespace

std::uint32_t UpdateWithTables(std::uint32_t state, const std::uint8_t* data, std::size_t size) {
  const auto& t = kTables;
  for (; size >= 16; size -= 16, data += 16) {
    const std::uint32_t a = Load32(data) ^ state, b = Load32(data + 4), c = Load32(data + 8), d = Load32(data + 12);
    state = t[15][a & 0xFF] ^ t[14][(a >> 8) & 0xFF] ^ t[13][(a >> 16) & 0xFF] ^ t[12][a >> 24] ^ t[11][b & 0xFF] ^
            t[10][(b >> 8) & 0xFF] ^ t[9][(b >> 16) & 0xFF] ^ t[8][b >> 24] ^ t[7][c & 0xFF] ^ t[6][(c >> 8) & 0xFF] ^
            t[5][(c >> 16) & 0xFF] ^ t[4][c >> 24] ^ t[3][d & 0xFF] ^ t[2][(d >> 8) & 0xFF] ^ t[1][(d >> 16) & 0xFF] ^
            t[0][d >> 24];
  }
  for (; size != 0; --size) state = (state >> 8) ^ t[0][(state ^ *data++) & 0xFF];
  return state;
}

}  // namespace kelvano::crc32
