#include <cstring>

#include "unzip/inflate_state.h"
#include "system/setup_error.h"

namespace kelvano::inflate {

void RaiseSubscriptOutOfRange() {
  throw SetupError(error_number::kSubscriptOutOfRange, "cUnzip", "Subscript out of range");
}

namespace {

// Looks up the next symbol's entry; 15 bits must be buffered. Consumes the main
// table's bits when the code continues in a sub-table.
inline std::uint32_t Lookup(BitReader& bits, const std::uint32_t* table, unsigned mainBits) {
  std::uint32_t entry = table[bits.Peek(mainBits)];
  if ((entry & (kExceptional | kSubTable)) == (kExceptional | kSubTable)) {
    bits.Drop(mainBits);
    entry = table[EntryValue(entry) + bits.Peek(CodeBits(entry))];
  }
  return entry;
}

// Consumes the entry's code and extra bits; returns its value plus the extra bits.
inline unsigned TakeValue(BitReader& bits, std::uint32_t entry) {
  const unsigned consume = ConsumeBits(entry);
  bits.Need(consume);
  const unsigned value = EntryValue(entry) + unsigned(LowBits(bits.buffer, consume) >> CodeBits(entry));
  bits.Drop(consume);
  return value;
}

// Copies a match byte by byte as the format defines it: overlapping copies repeat.
inline void CopyMatch(std::uint8_t* out, unsigned distance, unsigned length) {
  const std::uint8_t* from = out - distance;
  if (distance >= length) {
    std::memcpy(out, from, length);
  } else {
    for (unsigned i = 0; i < length; ++i) out[i] = from[i];
  }
}

}  // namespace

void DecodeHuffmanBlock(InflateState& state) {
  BitReader& bits = state.bits;
  for (;;) {
    bits.Need(kMaxCodeLength);
    std::uint32_t entry = Lookup(bits, state.literalLength, kLiteralLengthBits);
    if (entry & kLiteral) {
      bits.Drop(ConsumeBits(entry));
      if (state.outNext == state.outEnd) RaiseSubscriptOutOfRange();
      *state.outNext++ = std::uint8_t(EntryValue(entry));
      continue;
    }
    if (entry & kExceptional) {
      if (entry & kEndOfBlock) {
        bits.Drop(ConsumeBits(entry));
        return;
      }
      RaiseSubscriptOutOfRange();
    }
    const unsigned length = TakeValue(bits, entry);
    bits.Need(kMaxCodeLength);
    entry = Lookup(bits, state.distance, kDistanceBits);
    if (entry & kExceptional) RaiseSubscriptOutOfRange();
    const unsigned distance = TakeValue(bits, entry);
    if (distance > std::uint64_t(state.outNext - state.outBegin) || length > std::uint64_t(state.outEnd - state.outNext))
      RaiseSubscriptOutOfRange();
    CopyMatch(state.outNext, distance, length);
    state.outNext += length;
  }
}

}  // namespace kelvano::inflate
