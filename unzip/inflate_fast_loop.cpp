#include "unzip/inflate_copy.h"
#include "unzip/inflate_state.h"

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#include <cpuid.h>
#define KELVANO_INFLATE_BMI2 1
#endif

namespace kelvano::inflate {
namespace {

constexpr std::uint64_t kLiteralMask = (1u << kLiteralLengthBits) - 1;
constexpr std::uint64_t kDistanceMask = (1u << kDistanceBits) - 1;

// Both bytes of a literal entry; the second is kept only when the entry holds two.
inline std::uint8_t* StoreLiterals(std::uint8_t* out, std::uint32_t entry) {
  out[0] = std::uint8_t(entry >> 16);
  out[1] = std::uint8_t(entry >> 24);
  return out + 1 + ((entry & kPair) != 0);
}

// The bit buffer lives in locals and is refilled without a loop. After a refill all
// 64 bits of the buffer are input bits (those above `count` are the next ones), so
// the next entry is looked up before the refill that follows and need not wait for
// it; 56 bits hold three entries of up to 15 bits and 12 more for that lookup.
[[gnu::always_inline]] inline bool FastLoop(InflateState& state) {
  BitReader& bits = state.bits;
  const std::uint8_t* in = bits.next;
  const std::uint8_t* const inEnd = bits.end;
  std::uint8_t* out = state.outNext;
  std::uint8_t* const outBegin = state.outBegin;
  std::uint8_t* outEnd = state.outEnd;
  if (inEnd - in < kFastInput || outEnd - out < kFastOutput) return false;
  const std::uint32_t* const literalTable = state.literalLength;
  const std::uint32_t* const distanceTable = state.distance;
  std::uint64_t buffer = bits.buffer;
  unsigned count = bits.count;
  const auto refill = [&] {
    buffer |= LoadLittleEndian64(in) << count;
    in += (63 - count) >> 3;
    count |= 56;
  };
  const auto consume = [&](unsigned n) {
    buffer >>= n;
    count -= n;
  };
  const auto save = [&] {
    bits.next = in;
    bits.buffer = buffer;
    bits.count = count;
    state.outNext = out;
  };

  refill();
  std::uint32_t entry = literalTable[buffer & kLiteralMask];
  do {
    refill();
    if (entry & kLiteral) {
      consume(ConsumeBits(entry));
      out = StoreLiterals(out, entry);
      entry = literalTable[buffer & kLiteralMask];
      if (entry & kLiteral) {
        consume(ConsumeBits(entry));
        out = StoreLiterals(out, entry);
        entry = literalTable[buffer & kLiteralMask];
        if (entry & kLiteral) {
          consume(ConsumeBits(entry));
          out = StoreLiterals(out, entry);
          entry = literalTable[buffer & kLiteralMask];
          continue;
        }
      }
    }
    // At least 32 bits left (main-table literal entries take at most 12): enough for
    // a code through a sub-table and a plain length's extra bits.
    if (entry & kExceptional) {
      if (IsSubTable(entry)) {
        consume(kLiteralLengthBits);
        entry = literalTable[EntryValue(entry) + LowBits(buffer, CodeBits(entry))];
        if (entry & kLiteral) {  // a single one: its code is longer than the main table
          consume(ConsumeBits(entry));
          *out++ = std::uint8_t(EntryValue(entry));
          entry = literalTable[buffer & kLiteralMask];
          continue;
        }
      }
      if (entry & kExceptional) {
        if (!(entry & kEndOfBlock)) RaiseSubscriptOutOfRange();
        consume(ConsumeBits(entry));
        save();
        return true;
      }
    }
    // The distance's main-table bits must be left after the length, before the
    // refill: only deflate64's 16 extra bits may need one here.
    if (ConsumeBits(entry) + kDistanceBits > count) refill();
    const unsigned length = ValueOf(buffer, entry);
    consume(ConsumeBits(entry));
    entry = distanceTable[buffer & kDistanceMask];
    refill();
    if (entry & kExceptional) {
      if (!IsSubTable(entry)) RaiseSubscriptOutOfRange();
      consume(kDistanceBits);
      entry = distanceTable[EntryValue(entry) + LowBits(buffer, CodeBits(entry))];
      if (entry & kExceptional) RaiseSubscriptOutOfRange();
    }
    const unsigned distance = ValueOf(buffer, entry);
    consume(ConsumeBits(entry));
    entry = literalTable[buffer & kLiteralMask];
    if (distance > std::uint64_t(out - outBegin)) RaiseSubscriptOutOfRange();
    if (length <= 258) {
      CopyMatchFast(out, distance, length);
      out += length;
    } else {  // deflate64's long lengths
      out = CopyMatchChecked(state, out, distance, length);
      outEnd = state.outEnd;
    }
  } while (inEnd - in >= kFastInput && outEnd - out >= kFastOutput);
  save();
  return false;
}

bool FastLoopPortable(InflateState& state) { return FastLoop(state); }

#if KELVANO_INFLATE_BMI2
// The same loop with shifts and masks that need no flags and no fixed register.
__attribute__((target("bmi2"))) bool FastLoopBmi2(InflateState& state) { return FastLoop(state); }

bool HasBmi2() {
  unsigned a, b, c, d;
  return __get_cpuid_count(7, 0, &a, &b, &c, &d) && (b & bit_BMI2);
}
#else
bool FastLoopBmi2(InflateState& state) { return FastLoop(state); }
bool HasBmi2() { return false; }
#endif

using Loop = bool (*)(InflateState&);
Loop& ChosenLoop() {
  static Loop loop = HasBmi2() ? FastLoopBmi2 : FastLoopPortable;
  return loop;
}

}  // namespace

bool DecodeFast(InflateState& state) { return ChosenLoop()(state); }

bool UseFastLoop(FastLoopKind kind) {
  if (kind == FastLoopKind::kBmi2 && !HasBmi2()) return false;
  ChosenLoop() = kind == FastLoopKind::kBmi2 ? FastLoopBmi2 : FastLoopPortable;
  return true;
}

}  // namespace kelvano::inflate
