#include "unzip/inflate_tables.h"

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

std::uint32_t Entry(unsigned value, unsigned codeBits, unsigned extraBits, std::uint32_t flags = 0) {
  return (std::uint32_t(value) << 16) | flags | (codeBits << 8) | (codeBits + extraBits);
}

// The entry of a symbol whose code takes codeBits at the level of its table.
std::uint32_t SymbolEntry(TableKind kind, unsigned symbol, unsigned codeBits) {
  switch (kind) {
    case TableKind::kCodeLength:
      return Entry(symbol, codeBits, 0);
    case TableKind::kDistance:
      return Entry(kDistanceBase[symbol], codeBits, kDistanceExtra[symbol]);
    case TableKind::kLiteralLength:
    case TableKind::kLiteralLength64:
      if (symbol < 256) return Entry(symbol, codeBits, 0, kLiteral);
      if (symbol == 256) return Entry(0, codeBits, 0, kExceptional) | kEndOfBlock;
      if (symbol > 285) return kNoMatch;
      // Deflate64 turns the last length symbol into 3 plus 16 extra bits.
      if (symbol == 285 && kind == TableKind::kLiteralLength64) return Entry(3, codeBits, 16);
      return Entry(kLengthBase[symbol - 257], codeBits, kLengthExtra[symbol - 257]);
  }
  return kNoMatch;
}

unsigned MainBits(TableKind kind) {
  switch (kind) {
    case TableKind::kCodeLength:
      return kCodeLengthBits;
    case TableKind::kDistance:
      return kDistanceBits;
    default:
      return kLiteralLengthBits;
  }
}

// The next code of `bits` bits in the order of canonical codes, kept with its first
// bit in bit 0 (the order the stream delivers it): a bit-reversed increment.
unsigned NextReversedCode(unsigned code, unsigned bits) {
  unsigned bit = 1u << (bits - 1);
  while (code & bit) {
    code ^= bit;
    bit >>= 1;
  }
  return code | bit;
}

// Writes entry at index and every later index that shares its low codeBits bits.
void Replicate(std::uint32_t* table, unsigned size, unsigned index, unsigned codeBits, std::uint32_t entry) {
  for (unsigned i = index; i < size; i += 1u << codeBits) table[i] = entry;
}

// The literals whose codes fit in the main table, shortest first.
struct ShortLiterals {
  unsigned count = 0;
  std::uint8_t symbol[256];
  std::uint8_t bits[256];
  std::uint16_t code[256];  // first bit in bit 0
};

// Two literals whose codes fit in the main table together become one entry, written
// at every index that starts with both codes.
void PairLiterals(std::uint32_t* table, unsigned mainBits, const ShortLiterals& literals) {
  const unsigned size = 1u << mainBits;
  for (unsigned a = 0; a < literals.count; ++a) {
    const unsigned firstBits = literals.bits[a];
    const std::uint32_t first = (std::uint32_t(literals.symbol[a]) << 16) | kLiteral | kPair | (firstBits << 8);
    for (unsigned b = 0; b < literals.count && firstBits + literals.bits[b] <= mainBits; ++b) {
      const unsigned bits = firstBits + literals.bits[b];
      const std::uint32_t entry = first | (std::uint32_t(literals.symbol[b]) << 24) | bits;
      for (unsigned i = literals.code[a] | (unsigned(literals.code[b]) << firstBits); i < size; i += 1u << bits)
        table[i] = entry;
    }
  }
}

}  // namespace

bool BuildDecodeTable(const std::uint8_t* lengths, unsigned symbolCount, TableKind kind, std::uint32_t* table) {
  unsigned count[kMaxCodeLength + 1] = {};
  for (unsigned s = 0; s < symbolCount; ++s) ++count[lengths[s]];
  count[0] = 0;
  int left = 1;
  for (unsigned bits = 1; bits <= kMaxCodeLength; ++bits) {
    left = 2 * left - int(count[bits]);
    if (left < 0) return false;
  }

  // Symbols in the order of their canonical codes: by length, then by symbol.
  unsigned offset[kMaxCodeLength + 2] = {};
  for (unsigned bits = 1; bits <= kMaxCodeLength; ++bits) offset[bits + 1] = offset[bits] + count[bits];
  std::uint16_t sorted[288];
  for (unsigned s = 0; s < symbolCount; ++s)
    if (lengths[s] != 0) sorted[offset[lengths[s]]++] = std::uint16_t(s);

  // The main table grows by doubling, so each code is written once at its length
  // and copied into every longer index that starts with it.
  const unsigned mainBits = MainBits(kind);
  const bool literals = kind == TableKind::kLiteralLength || kind == TableKind::kLiteralLength64;
  ShortLiterals shortLiterals;
  unsigned next = 0;  // index into sorted
  unsigned code = 0;  // the next code, first bit in bit 0
  table[0] = kNoMatch;
  for (unsigned bits = 1; bits <= mainBits; ++bits) {
    std::memcpy(table + (1u << (bits - 1)), table, sizeof(std::uint32_t) << (bits - 1));
    for (unsigned n = 0; n < count[bits]; ++n, code = NextReversedCode(code, bits)) {
      const unsigned symbol = sorted[next++];
      table[code] = SymbolEntry(kind, symbol, bits);
      if (literals && symbol < 256) {
        shortLiterals.symbol[shortLiterals.count] = std::uint8_t(symbol);
        shortLiterals.bits[shortLiterals.count] = std::uint8_t(bits);
        shortLiterals.code[shortLiterals.count++] = std::uint16_t(code);
      }
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
                SymbolEntry(kind, sorted[next++], bits - mainBits));
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
