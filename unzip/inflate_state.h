#pragma once
// What one Inflate call works on: the bit reader, the output range and the tables of
// the current block.

#include <cstdint>

#include "unzip/inflate.h"
#include "unzip/inflate_bits.h"
#include "unzip/inflate_tables.h"

namespace kelvano::inflate {

struct InflateState {
  InflateState(const std::uint8_t* source, std::uint64_t sourceSize, std::uint8_t* destination,
               std::uint64_t destinationSize, bool deflate64)
      : bits(source, sourceSize),
        outBegin(destination),
        outNext(destination),
        outEnd(destination + destinationSize),
        deflate64(deflate64) {}

  BitReader bits;
  std::uint8_t* const outBegin;
  std::uint8_t* outNext;
  std::uint8_t* const outEnd;
  const bool deflate64;
  const std::uint32_t* literalLength = nullptr;
  const std::uint32_t* distance = nullptr;
  std::uint32_t dynamicLiteralLength[kLiteralLengthTableSize];
  std::uint32_t dynamicDistance[kDistanceTableSize];
};

// The run-time error of a corrupt stream that would otherwise index outside its
// tables or the output: a code that matches no symbol, length symbol 286 or 287, a
// distance before the output's start, a write past its end.
[[noreturn]] void RaiseSubscriptOutOfRange();

// Inflate with the CRC-32 left out when crc is null: the decoder measured alone.
bool DecodeStream(const std::uint8_t* source, std::uint64_t sourceSize, std::uint8_t* destination,
                  std::uint64_t& destinationSize, std::uint32_t* crc, bool deflate64, InflateHost& host);

// Decodes symbols with the state's tables up to and including the end of block.
void DecodeHuffmanBlock(InflateState& state);
// The same while far from the ends of input and output; returns false, with the
// state where it stopped, when it comes near them before the end of block.
bool DecodeFast(InflateState& state);
// DecodeFast comes in two builds, chosen by the processor; tests run both. Returns
// false when this processor cannot run the one asked for.
enum class FastLoopKind { kPortable, kBmi2 };
bool UseFastLoop(FastLoopKind kind);

}  // namespace kelvano::inflate
