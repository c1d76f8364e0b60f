#include "unzip/crc32_paths.h"

#include "system/cpu_features.h"

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#include <immintrin.h>
#define KELVANO_CRC32_CLMUL 1
#endif

namespace kelvano::crc32 {

#if KELVANO_CRC32_CLMUL

bool HasClmul() { return ThisCpu().pclmul && ThisCpu().sse41; }

namespace {

// Folding constants of the reflected polynomial: x^n mod P for the distances folded
// (four lanes of 128 bits, one lane, 64 and 32 bits), then P and its Barrett quotient.
#define KELVANO_CLMUL __attribute__((target("pclmul,sse4.1")))

KELVANO_CLMUL inline __m128i Constants(std::uint64_t low, std::uint64_t high) {
  return _mm_set_epi64x(static_cast<long long>(high), static_cast<long long>(low));
}

// x * x^distance: the low half times one constant, the high half times the other.
KELVANO_CLMUL inline __m128i Fold(__m128i x, __m128i constants, __m128i next) {
  const __m128i low = _mm_clmulepi64_si128(x, constants, 0x00);
  const __m128i high = _mm_clmulepi64_si128(x, constants, 0x11);
  return _mm_xor_si128(_mm_xor_si128(low, high), next);
}

KELVANO_CLMUL inline __m128i Load(const std::uint8_t* p) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

// size is a multiple of 16, at least 64.
KELVANO_CLMUL std::uint32_t FoldBlocks(std::uint32_t state, const std::uint8_t* data, std::size_t size) {
  const __m128i fourLanes = Constants(0x154442bd4, 0x1c6e41596);
  const __m128i oneLane = Constants(0x1751997d0, 0x0ccaa009e);
  __m128i x0 = _mm_xor_si128(Load(data), _mm_cvtsi32_si128(static_cast<int>(state)));
  __m128i x1 = Load(data + 16), x2 = Load(data + 32), x3 = Load(data + 48);
  data += 64;
  size -= 64;
  for (; size >= 64; size -= 64, data += 64) {
    x0 = Fold(x0, fourLanes, Load(data));
    x1 = Fold(x1, fourLanes, Load(data + 16));
    x2 = Fold(x2, fourLanes, Load(data + 32));
    x3 = Fold(x3, fourLanes, Load(data + 48));
  }
  x0 = Fold(x0, oneLane, x1);
  x0 = Fold(x0, oneLane, x2);
  x0 = Fold(x0, oneLane, x3);
  for (; size >= 16; size -= 16, data += 16) x0 = Fold(x0, oneLane, Load(data));

  // 128 bits to 64: the low half times x^64, added to the high half.
  const __m128i low32 = _mm_setr_epi32(-1, 0, -1, 0);
  x0 = _mm_xor_si128(_mm_clmulepi64_si128(x0, oneLane, 0x10), _mm_srli_si128(x0, 8));
  // 64 bits to 32 more: the low 32 bits times x^32.
  x0 = _mm_xor_si128(_mm_clmulepi64_si128(_mm_and_si128(x0, low32), Constants(0x163cd6124, 0), 0x00),
                     _mm_srli_si128(x0, 4));
  // Barrett reduction to the 32-bit remainder.
  const __m128i barrett = Constants(0x1db710641, 0x1f7011641);
  __m128i q = _mm_and_si128(_mm_clmulepi64_si128(_mm_and_si128(x0, low32), barrett, 0x10), low32);
  x0 = _mm_xor_si128(x0, _mm_clmulepi64_si128(q, barrett, 0x00));
  return static_cast<std::uint32_t>(_mm_extract_epi32(x0, 1));
}

}  // namespace

std::uint32_t UpdateWithClmul(std::uint32_t state, const std::uint8_t* data, std::size_t size) {
  if (size < 64) return UpdateWithTables(state, data, size);
  const std::size_t folded = size & ~std::size_t(15);
  state = FoldBlocks(state, data, folded);
  return UpdateWithTables(state, data + folded, size - folded);
}

#else

bool HasClmul() { return false; }
std::uint32_t UpdateWithClmul(std::uint32_t state, const std::uint8_t* data, std::size_t size) {
  return UpdateWithTables(state, data, size);
}

#endif

}  // namespace kelvano::crc32
