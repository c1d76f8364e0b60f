#include "unzip/inflate_tables.h"

#include <array>

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
constexpr std::uint8_t kDistanceExtra[32] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,  6,
                                             7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13, 14, 14};

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
      if (symbol == 256) return Entry(0, codeBits, 0, kExceptional | kEndOfBlock);
      if (symbol > 285) return Entry(0, codeBits, 0, kExceptional | kInvalid);
      // Deflate64 turns the last length symbol into 3 plus 16 extra bits.
      if (symbol == 285 && kind == TableKind::kLiteralLength64) return Entry(3, codeBits, 16);
      return Entry(kLengthBase[symbol - 257], codeBits, kLengthExtra[symbol - 257]);
  }
  return kExceptional | kInvalid;
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

unsigned Reverse(unsigned code, unsigned bits) {
  unsigned result = 0;
  for (unsigned i = 0; i < bits; ++i, code >>= 1) result = (result << 1) | (code & 1);
  return result;
}

// Writes entry at index and every index that shares its low codeBits bits.
void Replicate(std::uint32_t* table, unsigned size, unsigned index, unsigned codeBits, std::uint32_t entry) {
  for (unsigned i = index; i < size; i += 1u << codeBits) table[i] = entry;
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

  // Canonical codes, first bit in the code's high bit.
  unsigned nextCode[kMaxCodeLength + 1] = {};
  for (unsigned bits = 1, code = 0; bits <= kMaxCodeLength; ++bits) {
    code = (code + count[bits - 1]) << 1;
    nextCode[bits] = code;
  }
  unsigned codes[288];
  for (unsigned s = 0; s < symbolCount; ++s)
    if (lengths[s] != 0) codes[s] = nextCode[lengths[s]]++;

  const unsigned mainBits = MainBits(kind);
  const unsigned mainSize = 1u << mainBits;
  for (unsigned i = 0; i < mainSize; ++i) table[i] = kExceptional | kInvalid;

  // A sub-table per main-table prefix of the long codes, as deep as its longest code.
  unsigned subBits[1u << kLiteralLengthBits] = {};
  for (unsigned s = 0; s < symbolCount; ++s) {
    const unsigned length = lengths[s];
    if (length <= mainBits) continue;
    const unsigned prefix = Reverse(codes[s] >> (length - mainBits), mainBits);
    if (length - mainBits > subBits[prefix]) subBits[prefix] = length - mainBits;
  }
  unsigned next = mainSize;
  for (unsigned prefix = 0; prefix < mainSize; ++prefix) {
    if (subBits[prefix] == 0) continue;
    const unsigned size = 1u << subBits[prefix];
    for (unsigned i = 0; i < size; ++i) table[next + i] = kExceptional | kInvalid;
    table[prefix] = (next << 16) | kExceptional | kSubTable | (subBits[prefix] << 8) | mainBits;
    next += size;
  }

  for (unsigned s = 0; s < symbolCount; ++s) {
    const unsigned length = lengths[s];
    if (length == 0) continue;
    if (length <= mainBits) {
      Replicate(table, mainSize, Reverse(codes[s], length), length, SymbolEntry(kind, s, length));
      continue;
    }
    const unsigned tail = length - mainBits;
    const std::uint32_t pointer = table[Reverse(codes[s] >> tail, mainBits)];
    Replicate(table + EntryValue(pointer), 1u << CodeBits(pointer), Reverse(codes[s] & ((1u << tail) - 1), tail),
              tail, SymbolEntry(kind, s, tail));
  }
  return true;
}

FixedTables GetFixedTables(bool deflate64) {
  struct Built {
    std::array<std::uint32_t, kLiteralLengthTableSize> literalLength;
    std::array<std::uint32_t, kLiteralLengthTableSize> literalLength64;
    std::array<std::uint32_t, kDistanceTableSize> distance;
    Built() {
      std::uint8_t lengths[288];
      for (unsigned s = 0; s < 288; ++s) lengths[s] = s < 144 ? 8 : s < 256 ? 9 : s < 280 ? 7 : 8;
      BuildDecodeTable(lengths, 288, TableKind::kLiteralLength, literalLength.data());
      BuildDecodeTable(lengths, 288, TableKind::kLiteralLength64, literalLength64.data());
      for (unsigned s = 0; s < 32; ++s) lengths[s] = 5;
      BuildDecodeTable(lengths, 32, TableKind::kDistance, distance.data());
    }
  };
  static const Built built;
  return {deflate64 ? built.literalLength64.data() : built.literalLength.data(), built.distance.data()};
}

}  // namespace kelvano::inflate
