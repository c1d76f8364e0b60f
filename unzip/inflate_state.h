#pragma once
// What one Inflate call works on: the bit reader, the output in memory and the tables
// of the current block.

#include <algorithm>
#include <cstdint>

#include "unzip/inflate.h"
#include "unzip/inflate_bits.h"
#include "unzip/inflate_copy.h"
#include "unzip/inflate_tables.h"

namespace kelvano::inflate {

struct InflateState {
  // Straight into the destination, which holds the whole output.
  InflateState(const std::uint8_t* source, std::uint64_t sourceSize, std::uint8_t* destination,
               std::uint64_t destinationSize, bool deflate64)
      : bits(source, sourceSize),
        outBegin(destination),
        outNext(destination),
        outEnd(destination + destinationSize),
        deflate64(deflate64),
        declaredSize(destinationSize),
        windowEnd(outEnd),
        unchecked(destination) {}
  // Through the window to the sink.
  InflateState(const std::uint8_t* source, std::uint64_t sourceSize, InflateWindow& window, InflateSink& sink,
               std::uint64_t destinationSize, bool deflate64)
      : bits(source, sourceSize),
        outBegin(window.Data()),
        outNext(window.Data()),
        outEnd(window.Data() + std::min<std::uint64_t>(window.Size(), destinationSize)),
        deflate64(deflate64),
        declaredSize(destinationSize),
        sink(&sink),
        windowEnd(window.Data() + window.Size()),
        unsent(window.Data()),
        unchecked(window.Data()) {}

  // Bytes the declared size leaves after out.
  std::uint64_t DeclaredRoom(const std::uint8_t* out) const {
    return declaredSize - dropped - std::uint64_t(out - outBegin);
  }
  // Whether handing output to the sink would make room after out: the window's end
  // comes before the declared end, and output beyond the history is there to go.
  bool CanMakeRoom(const std::uint8_t* out) const {
    return sink != nullptr && std::uint64_t(outEnd - out) < DeclaredRoom(out) &&
           std::uint64_t(out - outBegin) > InflateWindow::kHistory;
  }
  // Total bytes produced so far.
  std::uint64_t Produced() const { return dropped + std::uint64_t(outNext - outBegin); }

  BitReader bits;
  // Output in memory is [outBegin, outNext); writes stop at outEnd, the declared end or
  // the window's, whichever comes first. Distances reach back to outBegin: once output
  // has been dropped from the window, 64 KiB of history stay in front, as far as any
  // distance reaches.
  std::uint8_t* const outBegin;
  std::uint8_t* outNext;
  std::uint8_t* outEnd;
  const bool deflate64;
  const std::uint64_t declaredSize;
  InflateSink* const sink = nullptr;  // none when the destination holds the whole output
  std::uint8_t* const windowEnd;
  std::uint64_t dropped = 0;       // output handed to the sink and gone from the window
  std::uint8_t* unsent = nullptr;  // first byte not handed to the sink
  std::uint8_t* unchecked;         // first byte not in the CRC
  std::uint32_t crc = 0;
  bool checksum = true;
  const BlockTables* tables = nullptr;
  BlockTables dynamicTables;
};

// Inflate with the CRC-32 left out when crc is null: the decoder measured alone.
InflateResult DecodeStream(const std::uint8_t* source, std::uint64_t sourceSize, std::uint8_t* destination,
                           std::uint64_t& destinationSize, std::uint32_t* crc, bool deflate64, InflateHost& host);
// The same for a state made by the caller (a streamed one).
InflateResult DecodeStream(InflateState& state, std::uint64_t& destinationSize, std::uint32_t* crc, InflateHost& host);

// Adds [unchecked, outNext) to the CRC.
void UpdateCrc(InflateState& state);
// The steps below that move output leave the new position in state.outNext: the
// decoding loops keep theirs in a local whose address is never taken.
//
// Hands the output after the history to the sink and moves the history to the front
// of the window; out is where output stands. Only when CanMakeRoom(out).
InflateResult MakeRoom(InflateState& state, std::uint8_t* out);
// Room for one byte at out, made when the window is full; kOutputFull at the declared
// end.
InflateResult RoomForOneByte(InflateState& state, std::uint8_t* out);
// Copies a match exactly: kOutputFull when it passes the declared end; one that passes
// the window's end goes piece by piece, room made in between.
InflateResult CopyMatchChecked(InflateState& state, std::uint8_t* out, unsigned distance, unsigned length);

// An entry's value plus its extra bits, which follow its code in buffer. (The code's
// length taken with the flags above it, which are clear in entries with a value: a
// byte move instead of a shift and a mask.)
inline unsigned ValueOf(std::uint64_t buffer, std::uint32_t entry) {
  return EntryValue(entry) + unsigned(LowBits(buffer, ConsumeBits(entry)) >> std::uint8_t(entry >> 8));
}

// A round of the fast loop writes without checks: at most three literal entries of
// two bytes and a match of the longest plain length, or four literal entries; the
// match may write kOvershoot bytes past its end. So the fast loop runs only this far
// from the output's end.
inline constexpr std::ptrdiff_t kRoundOutput = 6 + 258;
inline constexpr std::ptrdiff_t kFastOutput = kRoundOutput + kOvershoot;

// Decodes symbols with the state's tables up to and including the end of block.
InflateResult DecodeHuffmanBlock(InflateState& state);
// The same while far from the ends of input and output; sets blockEnded, or stops
// with the state where it is when it comes near them before the end of block.
InflateResult DecodeFast(InflateState& state, bool& blockEnded);
// DecodeFast comes in two builds, chosen by the processor; tests run both. Returns
// false when this processor cannot run the one asked for.
enum class FastLoopKind { kPortable, kBmi2 };
bool UseFastLoop(FastLoopKind kind);

}  // namespace kelvano::inflate
