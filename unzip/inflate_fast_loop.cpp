#include <cstring>

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

// Both bytes of a literal entry in one store; the second is kept only when the entry
// holds two.
inline std::uint8_t* StoreLiterals(std::uint8_t* out, std::uint32_t entry) {
  std::uint16_t both = std::uint16_t(entry >> 16);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
  both = __builtin_bswap16(both);
#endif
  std::memcpy(out, &both, 2);
  static_assert(kPair == 1u << 14);
  return out + 1 + ((entry >> 14) & 1);
}

// The bit buffer lives in locals and is refilled without a loop. After a refill at
// least 56 bits are counted and all 64 bits of the buffer are input bits (those
// above `count` are the next ones), so an entry can be looked up on bits not yet
// counted and need not wait for the refill that follows.
//
// A round starts refilled. Literal entries take at most 12 bits each: three of them
// and the lookup after them fit. A match starts refilled too (after literals, one
// more refill): its length takes at most 28 bits from the main table (deflate64's
// 16 extra bits included) and its distance 22, and 14 bits are left for the lookup
// that follows; a code that goes on in a sub-table refills after the main table's
// bits, so what the sub-table entry takes fits as well.
[[gnu::always_inline]] inline bool FastLoop(InflateState& state) {
  BitReader& bits = state.bits;
  const std::uint8_t* in = bits.next;
  std::uint8_t* out = state.outNext;
  if (bits.end - in < kFastInput || state.outEnd - out < kFastOutput) return false;
  const std::uint8_t* const inLimit = bits.end - kFastInput;
  std::uint8_t* outLimit = state.outEnd - kFastOutput;
  std::uint8_t* const outBegin = state.outBegin;
  const std::uint32_t* const literalTable = state.literalLength;
  const std::uint32_t* const distanceTable = state.distance;
  std::uint64_t buffer = bits.buffer;
  // Only the low byte counts the bits buffered: consuming subtracts the whole entry,
  // whose low byte is its bit count, which saves masking it out.
  unsigned count = bits.count;
  const auto refill = [&] {
    buffer |= LoadLittleEndian64(in) << (count & 63);
    in += 7 - ((count >> 3) & 7);
    count |= 56;
  };
  const auto consume = [&](std::uint32_t entry) {
    buffer >>= entry & 63;
    count -= entry;
  };
  const auto save = [&] {
    bits.next = in;
    bits.buffer = buffer;
    bits.count = count & 0xFF;
    state.outNext = out;
  };

  refill();
  std::uint32_t entry = literalTable[buffer & kLiteralMask];
  do {
    refill();
    if (entry & kLiteral) {
      consume(entry);
      out = StoreLiterals(out, entry);
      entry = literalTable[buffer & kLiteralMask];
      if (entry & kLiteral) {
        consume(entry);
        out = StoreLiterals(out, entry);
        entry = literalTable[buffer & kLiteralMask];
        if (entry & kLiteral) {
          consume(entry);
          out = StoreLiterals(out, entry);
          entry = literalTable[buffer & kLiteralMask];
          continue;
        }
      }
      refill();
    }
    // The entry's bits go at once, extra bits included; its value is read from the
    // bits as they were.
    std::uint64_t saved = buffer;
    consume(entry);
    if (entry & kExceptional) {
      if (IsSubTable(entry)) {
        refill();
        entry = literalTable[EntryValue(entry) + LowBits(buffer, CodeBits(entry))];
        saved = buffer;
        consume(entry);
        if (entry & kLiteral) {  // a single one: its code is longer than the main table
          *out++ = std::uint8_t(EntryValue(entry));
          entry = literalTable[buffer & kLiteralMask];
          continue;
        }
      }
      if (entry & kExceptional) {
        if (!(entry & kEndOfBlock)) RaiseSubscriptOutOfRange();
        save();
        return true;
      }
    }
    const unsigned length = ValueOf(saved, entry);
    entry = distanceTable[buffer & kDistanceMask];
    saved = buffer;
    consume(entry);
    if (entry & kExceptional) {
      if (!IsSubTable(entry)) RaiseSubscriptOutOfRange();
      refill();
      entry = distanceTable[EntryValue(entry) + LowBits(buffer, CodeBits(entry))];
      if (entry & kExceptional) RaiseSubscriptOutOfRange();
      saved = buffer;
      consume(entry);
    }
    const unsigned distance = ValueOf(saved, entry);
    entry = literalTable[buffer & kLiteralMask];
    if (distance > std::uint64_t(out - outBegin)) RaiseSubscriptOutOfRange();
    if (length <= 258) {
      CopyMatchFast(out, distance, length);
      out += length;
    } else {  // deflate64's long lengths
      out = CopyMatchChecked(state, out, distance, length);
      if (state.outEnd - out < kFastOutput) break;
      outLimit = state.outEnd - kFastOutput;
    }
  } while (in < inLimit && out < outLimit);
  save();
  return false;
}

bool FastLoopPortable(InflateState& state) { return FastLoop(state); }

#if KELVANO_INFLATE_BMI2
// The same loop with shifts and masks that need no flags and no fixed register
// (shrx, shlx, bzhi).
__attribute__((target("bmi,bmi2"))) bool FastLoopBmi2(InflateState& state) { return FastLoop(state); }

bool HasBmi2() {
  unsigned a, b, c, d;
  return __get_cpuid_count(7, 0, &a, &b, &c, &d) && (b & bit_BMI) && (b & bit_BMI2);
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
