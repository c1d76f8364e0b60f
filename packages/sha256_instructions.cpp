// SHA-256 with the processor's SHA instructions (x86 SHA extensions), several times the
// speed of the portable rounds, so that checking a download costs little beside it.
#include "packages/sha256.h"
#include "packages/sha256_rounds.h"
#include "system/cpu_features.h"

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#include <immintrin.h>
#define KELVANO_SHA_INSTRUCTIONS 1
#endif

namespace kelvano {

#if KELVANO_SHA_INSTRUCTIONS
namespace {

// Realigns the stack: a 32-bit thread may enter with less than the 16 bytes that the
// vector registers' spills need.
#define KELVANO_SHA __attribute__((target("sha,sse4.1,ssse3"), force_align_arg_pointer))

KELVANO_SHA void CompressBlocks(std::uint32_t state[8], const std::uint8_t* blocks, std::size_t count) {
  // Big-endian words of the message.
  const __m128i byteSwap = _mm_set_epi64x(0x0c0d0e0f08090a0bULL, 0x0405060700010203ULL);
  // The instructions keep the state as ABEF and CDGH.
  __m128i dcba = _mm_loadu_si128(reinterpret_cast<const __m128i*>(state));
  __m128i hgfe = _mm_loadu_si128(reinterpret_cast<const __m128i*>(state + 4));
  const __m128i cdab = _mm_shuffle_epi32(dcba, 0xB1);
  const __m128i efgh = _mm_shuffle_epi32(hgfe, 0x1B);
  __m128i abef = _mm_alignr_epi8(cdab, efgh, 8);
  __m128i cdgh = _mm_blend_epi16(efgh, cdab, 0xF0);

  for (; count > 0; --count, blocks += 64) {
    const __m128i savedAbef = abef, savedCdgh = cdgh;
#define KELVANO_LOAD(group) \
  _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(blocks + (group)*16)), byteSwap)
    __m128i w0 = KELVANO_LOAD(0), w1 = KELVANO_LOAD(1), w2 = KELVANO_LOAD(2), w3 = KELVANO_LOAD(3);
#undef KELVANO_LOAD
    // Four rounds of the words `w`, then the next words of the schedule in place of
    // `older` (the words four groups back), from the three groups after it.
#define KELVANO_ROUNDS(group, w)                                                                                      \
  {                                                                                                                   \
    __m128i message = _mm_add_epi32(w, _mm_loadu_si128(reinterpret_cast<const __m128i*>(kSha256Rounds + (group)*4))); \
    cdgh = _mm_sha256rnds2_epu32(cdgh, abef, message);                                                                \
    message = _mm_shuffle_epi32(message, 0x0E);                                                                       \
    abef = _mm_sha256rnds2_epu32(abef, cdgh, message);                                                                \
  }
#define KELVANO_SCHEDULE(older, next, twoBack, oneBack)                                                                \
  older = _mm_sha256msg2_epu32(_mm_add_epi32(_mm_sha256msg1_epu32(older, next), _mm_alignr_epi8(oneBack, twoBack, 4)), \
                               oneBack)
    for (int group = 0; group < 12; group += 4) {
      KELVANO_ROUNDS(group, w0) KELVANO_SCHEDULE(w0, w1, w2, w3);
      KELVANO_ROUNDS(group + 1, w1) KELVANO_SCHEDULE(w1, w2, w3, w0);
      KELVANO_ROUNDS(group + 2, w2) KELVANO_SCHEDULE(w2, w3, w0, w1);
      KELVANO_ROUNDS(group + 3, w3) KELVANO_SCHEDULE(w3, w0, w1, w2);
    }
    KELVANO_ROUNDS(12, w0)
    KELVANO_ROUNDS(13, w1) KELVANO_ROUNDS(14, w2) KELVANO_ROUNDS(15, w3)
#undef KELVANO_SCHEDULE
#undef KELVANO_ROUNDS
        abef = _mm_add_epi32(abef, savedAbef);
    cdgh = _mm_add_epi32(cdgh, savedCdgh);
  }

  const __m128i feba = _mm_shuffle_epi32(abef, 0x1B);
  const __m128i dchg = _mm_shuffle_epi32(cdgh, 0xB1);
  dcba = _mm_blend_epi16(feba, dchg, 0xF0);
  hgfe = _mm_alignr_epi8(dchg, feba, 8);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(state), dcba);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(state + 4), hgfe);
}

}  // namespace

Sha256::Compress Sha256::CompressWithShaInstructions() {
  const CpuFeatures& cpu = ThisCpu();
  return cpu.ssse3 && cpu.sse41 && cpu.sha ? CompressBlocks : nullptr;
}

#else

Sha256::Compress Sha256::CompressWithShaInstructions() { return nullptr; }

#endif

}  // namespace kelvano
