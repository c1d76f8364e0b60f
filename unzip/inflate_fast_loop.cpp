#include <algorithm>
#include <cstddef>
#include <cstring>

#include "system/cpu_features.h"
#include "unzip/inflate_copy.h"
#include "unzip/inflate_state.h"

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
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

// ValueOf, with bzhi in the BMI2 build: compilers build the mask with a shift
// instead, one more instruction on a busy port and a register held for all ones.
template <bool kBmi2>
[[gnu::always_inline]] inline unsigned FastValueOf(std::uint64_t buffer, std::uint32_t entry) {
#if KELVANO_INFLATE_BMI2 && defined(__x86_64__)
  if constexpr (kBmi2) {
    std::uint64_t low;
    asm("bzhi %q2, %1, %0" : "=r"(low) : "r"(buffer), "r"(entry));  // takes the count from the low byte
    return EntryValue(entry) + unsigned(low >> std::uint8_t(entry >> 8));
  }
#endif
  return ValueOf(buffer, entry);
}

// The loop fails through a cold call: with a plain return there the compiler gave the
// loop one more register move per match.
[[gnu::cold, gnu::noinline]] InflateResult BadData() { return InflateResult::kBadData; }

// Rounds of the fast loop that surely stay inside input and output. A round consumes
// at most 96 bits (three literal entries, then a length and a distance of the longest
// codes); the refills read 8 bytes at a time and run at most 63 bits ahead, so k
// rounds read less than (96k + 63) / 8 + 8 bytes, at most 12k + 16.
inline std::ptrdiff_t FastRounds(const std::uint8_t* in, const std::uint8_t* inEnd, const std::uint8_t* out,
                                 const std::uint8_t* outEnd) {
  const std::ptrdiff_t byInput = (inEnd - in - 16) / 12;
  const std::ptrdiff_t byOutput = (outEnd - out - kOvershoot) / kRoundOutput;
  return std::max<std::ptrdiff_t>(0, std::min(byInput, byOutput));
}

// The bit buffer lives in locals and is refilled without a loop. After a refill at
// least 56 bits are counted and all 64 bits of the buffer are input bits (those
// above `count` are the next ones), so an entry can be looked up on bits not yet
// counted and need not wait for the refill that follows.
//
// A round starts refilled and decodes up to four literal entries, of at most 12 bits
// each, refilling after the second: between the lookup of the third entry and its
// consumption, off the way from one lookup to the next (refilling after the third
// entry is consumed, when it is a length, made the distance's lookup wait). From the
// main tables a plain length takes at most 17 bits and a distance 22, so a match
// fits after one literal entry since the last refill, with 13 bits left for the next
// lookup; deflate64's lengths of 16 extra bits (28) refill once more. A code that
// goes on in a sub-table refills after the main table's bits, so what the sub-table
// entry takes fits as well.
//
// Built for plain deflate and for deflate64, whose lengths alone go past 258.
template <bool kDeflate64, bool kBmi2>
[[gnu::always_inline]] inline InflateResult FastLoop(InflateState& state, bool& blockEnded) {
  BitReader& bits = state.bits;
  const std::uint8_t* in = bits.next;
  std::uint8_t* out = state.outNext;
  const std::uint8_t* const inEnd = bits.end;
  // Counted down instead of comparing both positions with their limits every round.
  std::ptrdiff_t rounds = FastRounds(in, inEnd, out, state.outEnd);
  if (rounds == 0) return InflateResult::kOk;
  std::uint8_t* const outBegin = state.outBegin;
  // Both tables from one register.
  const std::uint32_t* const table = state.tables->entries;
  constexpr std::size_t kDistance = BlockTables::kDistanceStart;
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
  std::uint32_t entry = table[buffer & kLiteralMask];
  do {
    refill();
    // An entry's bits go as soon as it is looked up, extra bits included, before its
    // kind is tested: after a mispredicted test the next lookup need not wait for
    // them. A value is read from the bits as they were.
    std::uint64_t saved = buffer;
    consume(entry);
    if (entry & kLiteral) {
      out = StoreLiterals(out, entry);
      entry = table[buffer & kLiteralMask];
      saved = buffer;
      consume(entry);
      if (entry & kLiteral) {
        out = StoreLiterals(out, entry);
        entry = table[buffer & kLiteralMask];
        refill();
        saved = buffer;
        consume(entry);
        if (entry & kLiteral) {
          out = StoreLiterals(out, entry);
          entry = table[buffer & kLiteralMask];
          saved = buffer;
          consume(entry);
          if (entry & kLiteral) {
            out = StoreLiterals(out, entry);
            entry = table[buffer & kLiteralMask];
            continue;
          }
        }
        if (kDeflate64) refill();
      } else if (kDeflate64) {
        refill();
      }
    }
    if (entry & kExceptional) [[unlikely]] {
      if (IsSubTable(entry)) {
        refill();
        entry = table[EntryValue(entry) + LowBits(buffer, CodeBits(entry))];
        saved = buffer;
        consume(entry);
        if (entry & kLiteral) {  // a single one: its code is longer than the main table
          *out++ = std::uint8_t(EntryValue(entry));
          entry = table[buffer & kLiteralMask];
          continue;
        }
      }
      if (entry & kExceptional) {
        if (!(entry & kEndOfBlock)) return BadData();
        save();
        blockEnded = true;
        return InflateResult::kOk;
      }
    }
    const unsigned length = FastValueOf<kBmi2>(saved, entry);
    entry = table[kDistance + (buffer & kDistanceMask)];
    saved = buffer;
    consume(entry);
    if (entry & kExceptional) [[unlikely]] {
      if (!IsSubTable(entry)) return BadData();
      refill();
      entry = table[kDistance + EntryValue(entry) + LowBits(buffer, CodeBits(entry))];
      if (entry & kExceptional) return BadData();
      saved = buffer;
      consume(entry);
    }
    const unsigned distance = FastValueOf<kBmi2>(saved, entry);
    entry = table[buffer & kLiteralMask];
    if (distance > std::uint64_t(out - outBegin)) return BadData();
    if (!kDeflate64 || length <= 258) {
      CopyMatchFast(out, distance, length);
      out += length;
    } else {
      // May move the window.
      if (const InflateResult copied = CopyMatchChecked(state, out, distance, length); copied != InflateResult::kOk) {
        return copied;
      }
      out = state.outNext;
      rounds = 1 + FastRounds(in, inEnd, out, state.outEnd);
    }
  } while (--rounds != 0 || (rounds = FastRounds(in, inEnd, out, state.outEnd)) != 0);
  save();
  return InflateResult::kOk;
}

InflateResult FastLoopPortable(InflateState& state, bool& blockEnded) {
  return state.deflate64 ? FastLoop<true, false>(state, blockEnded) : FastLoop<false, false>(state, blockEnded);
}

#if KELVANO_INFLATE_BMI2
// The same loop with shifts and masks that need no flags and no fixed register
// (shrx, shlx, bzhi).
__attribute__((target("bmi,bmi2"))) InflateResult FastLoopBmi2(InflateState& state, bool& blockEnded) {
  return state.deflate64 ? FastLoop<true, true>(state, blockEnded) : FastLoop<false, true>(state, blockEnded);
}

bool HasBmi2() { return ThisCpu().bmi1 && ThisCpu().bmi2; }
#else
InflateResult FastLoopBmi2(InflateState& state, bool& blockEnded) { return FastLoopPortable(state, blockEnded); }
bool HasBmi2() { return false; }
#endif

using Loop = InflateResult (*)(InflateState&, bool&);
Loop& ChosenLoop() {
  static Loop loop = HasBmi2() ? FastLoopBmi2 : FastLoopPortable;
  return loop;
}

}  // namespace

InflateResult DecodeFast(InflateState& state, bool& blockEnded) { return ChosenLoop()(state, blockEnded); }

bool UseFastLoop(FastLoopKind kind) {
  if (kind == FastLoopKind::kBmi2 && !HasBmi2()) return false;
  ChosenLoop() = kind == FastLoopKind::kBmi2 ? FastLoopBmi2 : FastLoopPortable;
  return true;
}

}  // namespace kelvano::inflate
