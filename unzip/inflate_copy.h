#pragma once
// Match copies of the decoder. A match may overlap the bytes it writes (distance
// smaller than length): the format defines the copy byte by byte, so such a match
// repeats a pattern of `distance` bytes.

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "unzip/inflate_bits.h"

namespace kelvano::inflate {

// How far past a match the fast copy may write scratch bytes (later output goes
// over them).
inline constexpr std::ptrdiff_t kOvershoot = 40;

inline std::uint64_t Load64(const std::uint8_t* from) {
  std::uint64_t word;
  std::memcpy(&word, from, 8);
  return word;
}

inline void Store64(std::uint8_t* to, std::uint64_t word) { std::memcpy(to, &word, 8); }

// 16 bytes that do not overlap the 16 they are copied from.
inline void Copy16(std::uint8_t* to, const std::uint8_t* from) { std::memcpy(to, from, 16); }

// Exactly length bytes, nothing past them.
inline void CopyMatch(std::uint8_t* out, unsigned distance, unsigned length) {
  std::uint8_t* const end = out + length;
  const std::uint8_t* from = out - distance;
  if (distance < 8) {
    // Byte by byte until the pattern has been written once at a distance of at
    // least a word; from there the same bytes repeat at a multiple of the distance.
    const unsigned period = distance * ((8 + distance - 1) / distance);
    const unsigned head = length < period ? length : period;
    for (unsigned i = 0; i < head; ++i) out[i] = from[i];
    out += head;
    from = out - period;
    distance = period;
  }
  if (end - out >= 8) {
    while (end - out > 8) {
      Store64(out, Load64(from));
      out += 8;
      from += 8;
    }
    Store64(end - 8, Load64(end - 8 - distance));  // the last word ends exactly at the end
  } else {
    while (out != end) *out++ = *from++;
  }
}

// Up to 258 bytes, whole words at a time, writing up to kOvershoot bytes past them;
// kOvershoot + length bytes must be writable at out.
inline void CopyMatchFast(std::uint8_t* out, unsigned distance, unsigned length) {
  std::uint8_t* const end = out + length;
  const std::uint8_t* from = out - distance;
  if (distance >= 8) {
    // Most matches are short: 40 bytes without a test, a word at a time. (Pieces of 16
    // bytes need a distance of 16 and so one more test, which mispredicted; and
    // short matches often read the bytes just stored, measured slower in 16-byte
    // pieces.) Longer matches go on 32 bytes a round.
    Store64(out, Load64(from));
    Store64(out + 8, Load64(from + 8));
    Store64(out + 16, Load64(from + 16));
    Store64(out + 24, Load64(from + 24));
    Store64(out + 32, Load64(from + 32));
    out += 40;
    from += 40;
    if (out >= end) return;
    if (distance >= 16) {
      for (; out < end; out += 32, from += 32) {
        Copy16(out, from);
        Copy16(out + 16, from + 16);
      }
    } else {
      for (; out < end; out += 16, from += 16) {
        Store64(out, Load64(from));
        Store64(out + 8, Load64(from + 8));
      }
    }
    return;
  }
  // A word of the repeating pattern, written at steps of a multiple of the distance.
  // (Loading it reads past the pattern into output not yet written, but only the
  // first `distance` bytes are used.)
  std::uint64_t pattern;
  unsigned step;
  if (distance == 1) {
    pattern = 0x0101010101010101ull * from[0];
    step = 8;
  } else {
    pattern = LittleEndian64(Load64(from));
    pattern &= (std::uint64_t(1) << (8 * distance)) - 1;
    for (unsigned shift = 8 * distance; shift < 64; shift *= 2) pattern |= pattern << shift;
    pattern = LittleEndian64(pattern);
    static constexpr std::uint8_t kStep[8] = {0, 8, 8, 6, 8, 5, 6, 7};  // whole patterns in a word
    step = kStep[distance];
  }
  // Four words a round: runs of one byte are long, and fewer rounds mispredict less.
  do {
    Store64(out, pattern);
    Store64(out + step, pattern);
    Store64(out + 2 * step, pattern);
    Store64(out + 3 * step, pattern);
    out += 4 * step;
  } while (out < end);
}

}  // namespace kelvano::inflate
