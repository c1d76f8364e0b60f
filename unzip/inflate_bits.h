#pragma once
// The decoder's bit reader: a 64-bit buffer, next bit in bit 0. Past the end of the
// input it supplies zero bits and counts the bytes it invented, so positions keep
// counting as if the input went on. (The fast loop refills the same buffer a word
// at a time.)

#include <bit>
#include <cstdint>
#include <cstring>

namespace kelvano::inflate {

// A word's bytes in little-endian order, the first byte lowest, on any processor.
constexpr std::uint64_t LittleEndian64(std::uint64_t value) {
  if constexpr (std::endian::native == std::endian::big) return __builtin_bswap64(value);
  return value;
}

inline std::uint64_t LoadLittleEndian64(const std::uint8_t* p) {
  std::uint64_t value;
  std::memcpy(&value, p, sizeof value);
  return LittleEndian64(value);
}

inline std::uint64_t LowBits(std::uint64_t value, unsigned n) { return value & ((std::uint64_t(1) << n) - 1); }

struct BitReader {
  const std::uint8_t* begin;
  const std::uint8_t* next;
  const std::uint8_t* end;
  std::uint64_t invented = 0;  // zero bytes supplied past the end
  // Bits at and above `count` are zero or already the next input bits: whole bytes
  // are only counted once they are below `count`.
  std::uint64_t buffer = 0;
  unsigned count = 0;

  BitReader(const std::uint8_t* data, std::uint64_t size) : begin(data), next(data), end(data + size) {}

  // At least n (<= 56) bits: a word at a time while 8 bytes are left (headers and
  // the ends of blocks read many short fields), else one byte at a time.
  void Need(unsigned n) {
    if (count >= n) return;
    if (end - next >= 8) {
      buffer |= LoadLittleEndian64(next) << count;
      next += (63 - count) >> 3;
      count |= 56;
      return;
    }
    while (count < n) {
      if (next != end) {
        buffer |= std::uint64_t(*next++) << count;
      } else {
        ++invented;
      }
      count += 8;
    }
  }
  unsigned Peek(unsigned n) const { return unsigned(LowBits(buffer, n)); }
  void Drop(unsigned n) {
    buffer >>= n;
    count -= n;
  }
  unsigned Get(unsigned n) {
    Need(n);
    const unsigned value = Peek(n);
    Drop(n);
    return value;
  }

  // Bytes consumed so far, a partly consumed byte counted whole (invented ones too).
  std::uint64_t BytePosition() const { return std::uint64_t(next - begin) + invented - count / 8; }
  // Forgets the buffered bits and goes on reading at the given byte position.
  void Restart(std::uint64_t position) {
    next = begin + position;
    invented = 0;
    buffer = 0;
    count = 0;
  }
};

}  // namespace kelvano::inflate
