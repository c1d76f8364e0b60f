#include "unzip/inflate_tables.h"

#include <bit>
#include <cstddef>
#include <cstring>

namespace kelvano::inflate {
namespace {

// Base values and extra bits of length symbols 257-285 and distance symbols 0-31;
// distances 30 and 31 reach 65536 (deflate64, also accepted in plain deflate).
constexpr std::uint16_t kLengthBase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                           31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::uint8_t kLengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                           2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::uint16_t kDistanceBase[32] = {1,    2,    3,    4,    5,    7,     9,     13,    17,    25,   33,
                                             49,   65,   97,   129,  193,  257,   385,   513,   769,   1025, 1537,
                                             2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577, 32769, 49153};
constexpr std::uint8_t kDistanceExtra[32] = {0, 0, 0, 0, 1, 1, 2,  2,  3,  3,  4,  4,  5,  5,  6,  6,
                                             7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13, 14, 14};

constexpr std::uint32_t kNoMatch = kExceptional;

constexpr std::uint32_t Entry(unsigned value, unsigned extraBits, std::uint32_t flags = 0) {
  return (std::uint32_t(value) << 16) | flags | extraBits;
}

// Every symbol's entry but for its code's length, which a table adds where it puts
// the symbol (WithCodeBits): looked up rather than worked out per symbol.
struct SymbolEntries {
  std::uint32_t codeLength[19];
  std::uint32_t literalLength[288];
  std::uint32_t literalLength64[288];
  std::uint32_t distance[32];
};

constexpr SymbolEntries MakeSymbolEntries() {
  SymbolEntries e{};
  for (unsigned s = 0; s < 19; ++s) e.codeLength[s] = Entry(s, 0);
  for (unsigned s = 0; s < 288; ++s) {
    std::uint32_t entry = kNoMatch;  // symbols 286 and 287
    if (s < 256) {
      entry = Entry(s, 0, kLiteral);
    } else if (s == 256) {
      entry = Entry(0, 0, kExceptional) | kEndOfBlock;
    } else if (s <= 285) {
      entry = Entry(kLengthBase[s - 257], kLengthExtra[s - 257]);
    }
    e.literalLength[s] = e.literalLength64[s] = entry;
  }
  // Deflate64 turns the last length symbol into 3 plus 16 extra bits.
  e.literalLength64[285] = Entry(3, 16);
  for (unsigned s = 0; s < 32; ++s) e.distance[s] = Entry(kDistanceBase[s], kDistanceExtra[s]);
  return e;
}
constexpr SymbolEntries kSymbolEntries = MakeSymbolEntries();

const std::uint32_t* EntriesOf(TableKind kind) {
  switch (kind) {
    case TableKind::kCodeLength: return kSymbolEntries.codeLength;
    case TableKind::kDistance: return kSymbolEntries.distance;
    case TableKind::kLiteralLength: return kSymbolEntries.literalLength;
    case TableKind::kLiteralLength64: return kSymbolEntries.literalLength64;
  }
  return kSymbolEntries.literalLength;
}

// A symbol's entry where its code takes codeBits at the level of its table: the code's
// length, and the bits to consume grow by it. (The no-match entries of symbols 286
// and 287 get them too; nothing consumes them.)
inline std::uint32_t WithCodeBits(std::uint32_t entry, unsigned codeBits) { return entry + codeBits * 0x101u; }

unsigned MainBits(TableKind kind) {
  switch (kind) {
    case TableKind::kCodeLength: return kCodeLengthBits;
    case TableKind::kDistance: return kDistanceBits;
    default: return kLiteralLengthBits;
  }
}

// The next code of `bits` bits in the order of canonical codes, kept with its first
// bit in bit 0 (the order the stream delivers it): a bit-reversed increment, whose
// carry clears the ones above the highest zero and stops there. (Without a loop:
// the loop's length varied with every code and mispredicted; the "| 1" spares a
// test for zero: the last code of a complete code, all ones, has no next, and what
// comes out then is never used.)
unsigned NextReversedCode(unsigned code, unsigned bits) {
  const unsigned bit = 1u << (std::bit_width((~code & ((1u << bits) - 1)) | 1u) - 1);
  return (code & (bit - 1)) | bit;
}

// Writes entry at index and every later index that shares its low codeBits bits.
void Replicate(std::uint32_t* table, unsigned size, unsigned index, unsigned codeBits, std::uint32_t entry) {
  for (unsigned i = index; i < size; i += 1u << codeBits) table[i] = entry;
}

// The literals whose codes fit in the main table, shortest first. (Room for every
// symbol: each is written, and counted only when it is a literal.)
struct ShortLiterals {
  unsigned count = 0;
  std::uint8_t bits[288];
  std::uint16_t code[288];  // first bit in bit 0
};

// Two literals whose codes fit in the main table together become one entry. The
// indices that start with a literal's code hold the next code in their other bits,
// and the main table's entry at those bits tells whether it is a literal that fits
// there too; a pair entry is the first literal's entry plus the second literal, its
// bits and the flag. So for each length of first codes the additions are worked out
// once, and each literal's indices take them in one pass: a block of 64 literals has
// 4096 pairs. (An entry read there that is already a pair still starts with the same
// literal and its code's length.)
void PairLiterals(std::uint32_t* table, unsigned mainBits, const ShortLiterals& literals) {
  std::uint32_t second[1u << (kLiteralLengthBits - 1)];  // the additions for restBits
  unsigned restBits = 0;
  for (unsigned a = 0; a < literals.count && literals.bits[a] + literals.bits[0] <= mainBits; ++a) {
    const unsigned firstBits = literals.bits[a];
    if (mainBits - firstBits != restBits) {
      restBits = mainBits - firstBits;
      for (unsigned rest = 0; rest < (1u << restBits); ++rest) {
        const std::uint32_t next = table[rest];
        const bool fits = (next & kLiteral) && CodeBits(next) <= restBits;
        second[rest] = fits ? kPair | ((next & 0xFF0000u) << 8) | CodeBits(next) : 0;
      }
    }
    std::uint32_t* slot = table + literals.code[a];
    const std::uint32_t first = *slot;
    for (unsigned rest = 0; rest < (1u << restBits); ++rest, slot += std::size_t(1) << firstBits)
      *slot = first + second[rest];
  }
}

// The symbols of a code in the order of their canonical codes (by length, then by
// symbol), the unused ones first, and how many codes each length has. Counted and
// placed in four quarters of the symbols at once: the counters of a quarter are a
// chain of stores and loads of their own, and a single chain took most of a table's
// time.
struct CanonicalOrder {
  static constexpr unsigned kWays = 4;
  unsigned count[kMaxCodeLength + 1] = {};  // count[0]: unused symbols, and padding
  std::uint16_t sorted[288 + kWays];

  CanonicalOrder(const std::uint8_t* lengths, unsigned symbolCount) {
    const unsigned quarter = (symbolCount + kWays - 1) / kWays;
    std::uint8_t padded[288 + kWays];
    std::memcpy(padded, lengths, symbolCount);
    std::memset(padded + symbolCount, 0, kWays * quarter - symbolCount);
    unsigned wayCount[kWays][kMaxCodeLength + 1] = {};
    for (unsigned i = 0; i < quarter; ++i)
      for (unsigned w = 0; w < kWays; ++w) ++wayCount[w][padded[w * quarter + i]];
    unsigned offset[kWays][kMaxCodeLength + 1];
    unsigned position = 0;
    for (unsigned bits = 0; bits <= kMaxCodeLength; ++bits) {
      for (unsigned w = 0; w < kWays; ++w) {
        offset[w][bits] = position;
        position += wayCount[w][bits];
        count[bits] += wayCount[w][bits];
      }
    }
    for (unsigned i = 0; i < quarter; ++i) {
      for (unsigned w = 0; w < kWays; ++w) {
        const unsigned symbol = w * quarter + i;
        sorted[offset[w][padded[symbol]]++] = std::uint16_t(symbol);
      }
    }
  }
};

}  // namespace

bool BuildDecodeTable(const std::uint8_t* lengths, unsigned symbolCount, TableKind kind, std::uint32_t* table) {
  const CanonicalOrder order(lengths, symbolCount);
  unsigned count[kMaxCodeLength + 1];
  std::memcpy(count, order.count, sizeof count);
  const unsigned unused = count[0];
  count[0] = 0;
  int left = 1;
  for (unsigned bits = 1; bits <= kMaxCodeLength; ++bits) {
    left = 2 * left - int(count[bits]);
    if (left < 0) return false;
  }

  // The main table grows by doubling, so each code is written once at its length
  // and copied into every longer index that starts with it.
  const unsigned mainBits = MainBits(kind);
  const bool literals = kind == TableKind::kLiteralLength || kind == TableKind::kLiteralLength64;
  const std::uint32_t* const entries = EntriesOf(kind);
  ShortLiterals shortLiterals;
  const std::uint16_t* const sorted = order.sorted;
  unsigned next = unused;  // index into sorted
  unsigned code = 0;       // the next code, first bit in bit 0
  table[0] = kNoMatch;
  for (unsigned bits = 1; bits <= mainBits; ++bits) {
    std::memcpy(table + (1u << (bits - 1)), table, sizeof(std::uint32_t) << (bits - 1));
    for (unsigned n = 0; n < count[bits]; ++n, code = NextReversedCode(code, bits)) {
      const unsigned symbol = sorted[next++];
      table[code] = WithCodeBits(entries[symbol], bits);
      shortLiterals.bits[shortLiterals.count] = std::uint8_t(bits);
      shortLiterals.code[shortLiterals.count] = std::uint16_t(code);
      shortLiterals.count += literals && symbol < 256;
    }
  }

  // Longer codes: a sub-table for each main-table prefix, as deep as the codes that
  // share the prefix need (codes with one prefix are consecutive).
  const unsigned mainSize = 1u << mainBits;
  unsigned remaining[kMaxCodeLength + 1];
  std::memcpy(remaining, count, sizeof count);
  unsigned prefix = mainSize;  // none yet
  unsigned free = mainSize;    // where the next sub-table goes
  std::uint32_t* subTable = nullptr;
  unsigned subBits = 0;
  for (unsigned bits = mainBits + 1; bits <= kMaxCodeLength; ++bits) {
    for (; remaining[bits] != 0; --remaining[bits], code = NextReversedCode(code, bits)) {
      if ((code & (mainSize - 1)) != prefix) {
        prefix = code & (mainSize - 1);
        // The smallest depth that the codes from here fill, or the deepest possible
        // when they leave the code incomplete.
        subBits = bits - mainBits;
        unsigned used = remaining[bits];
        while (used < (1u << subBits) && subBits < kMaxCodeLength - mainBits) {
          ++subBits;
          used = 2 * used + remaining[mainBits + subBits];
        }
        subTable = table + free;
        for (unsigned i = 0; i < (1u << subBits); ++i) subTable[i] = kNoMatch;
        table[prefix] = (free << 16) | kExceptional | kSubTable | (subBits << 8) | mainBits;
        free += 1u << subBits;
      }
      Replicate(subTable, 1u << subBits, code >> mainBits, bits - mainBits,
                WithCodeBits(entries[sorted[next++]], bits - mainBits));
    }
  }

  if (literals) PairLiterals(table, mainBits, shortLiterals);
  return true;
}

const BlockTables& FixedTables(bool deflate64) {
  struct Built {
    BlockTables plain, deflate64;
    Built() {
      std::uint8_t lengths[288];
      for (unsigned s = 0; s < 288; ++s) lengths[s] = s < 144 ? 8 : s < 256 ? 9 : s < 280 ? 7 : 8;
      BuildDecodeTable(lengths, 288, TableKind::kLiteralLength, plain.LiteralLength());
      BuildDecodeTable(lengths, 288, TableKind::kLiteralLength64, deflate64.LiteralLength());
      for (unsigned s = 0; s < 32; ++s) lengths[s] = 5;
      BuildDecodeTable(lengths, 32, TableKind::kDistance, plain.Distance());
      BuildDecodeTable(lengths, 32, TableKind::kDistance, deflate64.Distance());
    }
  };
  static const Built built;
  return deflate64 ? built.deflate64 : built.plain;
}

}  // namespace kelvano::inflate
