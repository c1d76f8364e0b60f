#include "system/setup_error.h"
#include "unzip/inflate_state.h"

namespace kelvano::inflate {

void RaiseSubscriptOutOfRange() {
  throw SetupError(error_number::kSubscriptOutOfRange, "cUnzip", "Subscript out of range");
}

namespace {

// Looks up the next symbol's entry; 15 bits must be buffered. Consumes the main
// table's bits when the code continues in a sub-table.
inline std::uint32_t Lookup(BitReader& bits, const std::uint32_t* table, unsigned mainBits) {
  std::uint32_t entry = table[bits.Peek(mainBits)];
  if (IsSubTable(entry)) {
    bits.Drop(mainBits);
    entry = table[EntryValue(entry) + bits.Peek(CodeBits(entry))];
  }
  return entry;
}

// The entry's value plus its extra bits, buffered first (zeros past the input).
inline unsigned TakeValue(BitReader& bits, std::uint32_t entry) {
  bits.Need(ConsumeBits(entry));
  const unsigned value = ValueOf(bits.buffer, entry);
  bits.Drop(ConsumeBits(entry));
  return value;
}

// Near the ends: one step at a time, every bound checked, zeros past the input.
void DecodeSlowly(InflateState& state) {
  BitReader& bits = state.bits;
  std::uint8_t* const outBegin = state.outBegin;
  std::uint8_t* out = state.outNext;
  for (;;) {
    bits.Need(kMaxCodeLength);
    std::uint32_t entry = Lookup(bits, state.tables->LiteralLength(), kLiteralLengthBits);
    if (entry & kLiteral) {
      bits.Drop(ConsumeBits(entry));
      if (out == state.outEnd) out = RoomForOneByte(state, out);
      *out++ = std::uint8_t(EntryValue(entry));
      if (entry & kPair) {
        if (out == state.outEnd) out = RoomForOneByte(state, out);
        *out++ = std::uint8_t(entry >> 24);
      }
      continue;
    }
    if (entry & kExceptional) {
      if (!(entry & kEndOfBlock)) RaiseSubscriptOutOfRange();
      bits.Drop(ConsumeBits(entry));
      state.outNext = out;
      return;
    }
    const unsigned length = TakeValue(bits, entry);
    bits.Need(kMaxCodeLength);
    entry = Lookup(bits, state.tables->Distance(), kDistanceBits);
    if (entry & kExceptional) RaiseSubscriptOutOfRange();
    const unsigned distance = TakeValue(bits, entry);
    if (distance > std::uint64_t(out - outBegin)) RaiseSubscriptOutOfRange();
    out = CopyMatchChecked(state, out, distance, length);
  }
}

}  // namespace

void DecodeHuffmanBlock(InflateState& state) {
  while (!DecodeFast(state)) {
    // Stopped near an end. Only when it is the window's, room is made and the fast
    // loop goes on.
    if (state.outEnd - state.outNext >= kFastOutput || !state.CanMakeRoom(state.outNext)) {
      DecodeSlowly(state);
      return;
    }
    MakeRoom(state, state.outNext);
  }
}

}  // namespace kelvano::inflate
