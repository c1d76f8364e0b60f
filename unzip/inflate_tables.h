#pragma once
// Decoding tables of the inflate decoder: one lookup on the next bits of the stream
// resolves a symbol (often two literals), its base value and how many bits to
// consume; codes longer than the main table's bits continue in a sub-table.

#include <cstdint>

namespace kelvano::inflate {

// An entry, 32 bits:
//   bits 0-7   bits to consume: the code's length plus its extra bits (two literals:
//              both codes; a sub-table pointer: the main table's bits)
//   bits 8-11  the (first) code's own length, so extra bits = (next consume bits) >>
//              length (a sub-table pointer: the sub-table's bits)
//   bits 12-15 flags below
//   bits 16-31 value: literal byte(s) (the first in bits 16-23), length base,
//              distance base, code-length symbol or sub-table start
inline constexpr std::uint32_t kLiteral = 0x8000u;
inline constexpr std::uint32_t kPair = 0x4000u;         // with kLiteral: a second literal in bits 24-31
inline constexpr std::uint32_t kExceptional = 0x2000u;  // alone: no code matches, or symbol 286/287
inline constexpr std::uint32_t kSubTable = 0x1000u;     // with kExceptional
inline constexpr std::uint32_t kEndOfBlock = 0x10000u;  // with kExceptional

inline constexpr unsigned kLiteralLengthBits = 12;
inline constexpr unsigned kDistanceBits = 8;
inline constexpr unsigned kCodeLengthBits = 7;
inline constexpr unsigned kMaxCodeLength = 15;

// Main table plus the most sub-tables a prefix code can need: one per symbol longer
// than the main table, each at most 2^(15 - main bits) entries.
inline constexpr unsigned kLiteralLengthTableSize =
    (1u << kLiteralLengthBits) + 288 * (1u << (kMaxCodeLength - kLiteralLengthBits));
inline constexpr unsigned kDistanceTableSize = (1u << kDistanceBits) + 32 * (1u << (kMaxCodeLength - kDistanceBits));
inline constexpr unsigned kCodeLengthTableSize = 1u << kCodeLengthBits;

enum class TableKind { kCodeLength, kLiteralLength, kLiteralLength64, kDistance };

inline unsigned ConsumeBits(std::uint32_t entry) { return entry & 0xFF; }
inline unsigned CodeBits(std::uint32_t entry) { return (entry >> 8) & 0xF; }
inline unsigned EntryValue(std::uint32_t entry) { return entry >> 16; }
inline bool IsSubTable(std::uint32_t entry) {
  return (entry & (kExceptional | kSubTable)) == (kExceptional | kSubTable);
}

// Builds the table of the canonical prefix code given by lengths[0, symbolCount)
// (0: symbol unused). Incomplete codes are accepted: unused bit patterns get
// exceptional entries that match nothing. Returns false when the lengths
// over-subscribe the code space.
bool BuildDecodeTable(const std::uint8_t* lengths, unsigned symbolCount, TableKind kind, std::uint32_t* table);

// The two tables of a Huffman block in one array, so that one register addresses both.
struct BlockTables {
  static constexpr unsigned kDistanceStart = kLiteralLengthTableSize;
  std::uint32_t entries[kLiteralLengthTableSize + kDistanceTableSize];
  std::uint32_t* LiteralLength() { return entries; }
  std::uint32_t* Distance() { return entries + kDistanceStart; }
  const std::uint32_t* LiteralLength() const { return entries; }
  const std::uint32_t* Distance() const { return entries + kDistanceStart; }
};

// The fixed-code tables, built once per process.
const BlockTables& FixedTables(bool deflate64);

}  // namespace kelvano::inflate
