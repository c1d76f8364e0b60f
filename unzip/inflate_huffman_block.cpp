#include "unzip/inflate_state.h"

namespace kelvano::inflate {
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
InflateResult DecodeSlowly(InflateState& state) {
  BitReader& bits = state.bits;
  std::uint8_t* const outBegin = state.outBegin;
  std::uint8_t* out = state.outNext;
  for (;;) {
    bits.Need(kMaxCodeLength);
    std::uint32_t entry = Lookup(bits, state.tables->LiteralLength(), kLiteralLengthBits);
    if (entry & kLiteral) {
      bits.Drop(ConsumeBits(entry));
      // One byte or two, room made for each when the window is full.
      const unsigned count = entry & kPair ? 2 : 1;
      for (unsigned i = 0; i < count; ++i) {
        if (out == state.outEnd) {
          if (const InflateResult made = RoomForOneByte(state, out); made != InflateResult::kOk) return made;
          out = state.outNext;
        }
        *out++ = std::uint8_t(EntryValue(entry) >> (8 * i));
      }
      continue;
    }
    if (entry & kExceptional) {
      if (!(entry & kEndOfBlock)) return InflateResult::kBadData;
      bits.Drop(ConsumeBits(entry));
      state.outNext = out;
      return InflateResult::kOk;
    }
    const unsigned length = TakeValue(bits, entry);
    bits.Need(kMaxCodeLength);
    entry = Lookup(bits, state.tables->Distance(), kDistanceBits);
    if (entry & kExceptional) return InflateResult::kBadData;
    const unsigned distance = TakeValue(bits, entry);
    if (distance > std::uint64_t(out - outBegin)) return InflateResult::kBadData;
    if (const InflateResult copied = CopyMatchChecked(state, out, distance, length); copied != InflateResult::kOk) {
      return copied;
    }
    out = state.outNext;
  }
}

}  // namespace

InflateResult DecodeHuffmanBlock(InflateState& state) {
  for (;;) {
    bool blockEnded = false;
    const InflateResult result = DecodeFast(state, blockEnded);
    if (result != InflateResult::kOk || blockEnded) return result;
    // Stopped near an end. Only when it is the window's, room is made and the fast
    // loop goes on.
    if (state.outEnd - state.outNext >= kFastOutput || !state.CanMakeRoom(state.outNext)) return DecodeSlowly(state);
    if (const InflateResult made = MakeRoom(state, state.outNext); made != InflateResult::kOk) return made;
  }
}

}  // namespace kelvano::inflate
