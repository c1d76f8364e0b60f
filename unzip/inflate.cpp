#include "unzip/inflate.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

#include "unzip/inflate_copy.h"
#include "unzip/inflate_state.h"

namespace kelvano {
namespace {

using inflate::InflateState;

constexpr char kOverSubscribed[] = ": Huffman tree over subscribe";

bool ReadStoredBlock(InflateState& state, std::uint64_t sourceSize, InflateHost& host) {
  std::uint64_t position = state.bits.BytePosition();
  if (position > sourceSize || sourceSize - position < 4) {
    host.SetError("InStream depleated");
    return false;
  }
  const std::uint8_t* header = state.bits.begin + position;
  const unsigned length = header[0] | header[1] << 8;
  const unsigned complement = header[2] | header[3] << 8;
  if (length != (~complement & 0xFFFFu)) {
    host.SetError("Invalid block size");
    return false;
  }
  position += 4;
  if (length > sourceSize - position) {
    host.SetError("InStream depleated");
    return false;
  }
  if (length > state.DeclaredRoom(state.outNext)) {
    host.SetError("OutStream overflow");
    return false;
  }
  const std::uint8_t* from = state.bits.begin + position;
  for (unsigned left = length; left != 0;) {
    if (state.outNext == state.outEnd) state.outNext = inflate::MakeRoom(state, state.outNext);
    const auto piece = unsigned(std::min<std::uint64_t>(left, std::uint64_t(state.outEnd - state.outNext)));
    std::memcpy(state.outNext, from, piece);
    state.outNext += piece;
    from += piece;
    left -= piece;
  }
  state.bits.Restart(position + length);
  return true;
}

bool ReadDynamicTables(InflateState& state, InflateHost& host) {
  using namespace inflate;
  static constexpr std::uint8_t kCodeLengthOrder[19] = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                                        11, 4,  12, 3, 13, 2, 14, 1, 15};
  BitReader& bits = state.bits;
  const unsigned literalCount = bits.Get(5) + 257;  // up to 288 and 32, accepted as read
  const unsigned distanceCount = bits.Get(5) + 1;
  const unsigned codeLengthCount = bits.Get(4) + 4;

  std::uint8_t codeLengthLengths[19] = {};
  for (unsigned i = 0; i < codeLengthCount; ++i) codeLengthLengths[kCodeLengthOrder[i]] = std::uint8_t(bits.Get(3));
  std::uint32_t codeLengthTable[kCodeLengthTableSize];
  if (!BuildDecodeTable(codeLengthLengths, 19, TableKind::kCodeLength, codeLengthTable)) {
    host.SetError(std::string("Dynamic tree") + kOverSubscribed);
    return false;
  }

  // Literal/length and distance lengths form one sequence: repeats may cross over.
  std::uint8_t lengths[288 + 32] = {};
  const unsigned total = literalCount + distanceCount;
  for (unsigned i = 0; i < total;) {
    bits.Need(kCodeLengthBits);
    const std::uint32_t entry = codeLengthTable[bits.Peek(kCodeLengthBits)];
    if (entry & kExceptional) RaiseSubscriptOutOfRange();
    bits.Drop(ConsumeBits(entry));
    const unsigned symbol = EntryValue(entry);
    if (symbol < 16) {
      lengths[i++] = std::uint8_t(symbol);
      continue;
    }
    std::uint8_t repeated = 0;
    unsigned repeat;
    if (symbol == 16) {
      if (i == 0) {
        host.SetError("Dynamic tree: no last Length");
        return false;
      }
      repeated = lengths[i - 1];
      repeat = 3 + bits.Get(2);
    } else if (symbol == 17) {
      repeat = 3 + bits.Get(3);
    } else {
      repeat = 11 + bits.Get(7);
    }
    if (repeat > total - i) {
      host.SetError("Dynamic tree: too many Lengths");
      return false;
    }
    std::memset(lengths + i, repeated, repeat);
    i += repeat;
  }

  const TableKind literalKind = state.deflate64 ? TableKind::kLiteralLength64 : TableKind::kLiteralLength;
  if (!BuildDecodeTable(lengths, literalCount, literalKind, state.dynamicTables.LiteralLength()) ||
      !BuildDecodeTable(lengths + literalCount, distanceCount, TableKind::kDistance, state.dynamicTables.Distance())) {
    host.SetError(std::string("Dynamic tree") + kOverSubscribed);
    return false;
  }
  state.tables = &state.dynamicTables;
  return true;
}

}  // namespace

namespace inflate {

bool DecodeStream(InflateState& state, std::uint64_t& destinationSize, std::uint32_t* crc, InflateHost& host) {
  const std::uint64_t sourceSize = std::uint64_t(state.bits.end - state.bits.begin);
  state.checksum = crc != nullptr;
  try {
    bool final;
    do {
      final = state.bits.Get(1) != 0;
      switch (state.bits.Get(2)) {
        case 0:
          state.bits.Drop(state.bits.count % 8);
          if (!ReadStoredBlock(state, sourceSize, host)) return false;
          break;
        case 1:
          state.tables = &FixedTables(state.deflate64);
          DecodeHuffmanBlock(state);
          break;
        case 2:
          if (!ReadDynamicTables(state, host)) return false;
          DecodeHuffmanBlock(state);
          break;
        default: host.SetError("Error in compressed data"); return false;
      }
      // Checked while the block's output is still in the cache.
      UpdateCrc(state);
      host.Progress(std::min(state.bits.BytePosition(), sourceSize), sourceSize);
    } while (!final);
    if (state.sink) {
      if (state.outNext != state.unsent &&
          !state.sink->Write(state.unsent, std::size_t(state.outNext - state.unsent))) {
        return false;
      }
    } else {
      // Scratch written past the last match, gone over in a file of the announced size.
      const std::ptrdiff_t scratch = std::min<std::ptrdiff_t>(kOvershoot, state.outEnd - state.outNext);
      if (scratch > 0) std::memset(state.outNext, 0, std::size_t(scratch));
    }
  } catch (const SinkRefused&) {
    return false;
  }
  destinationSize = state.Produced();
  if (crc) *crc = state.crc;
  return true;
}

bool DecodeStream(const std::uint8_t* source, std::uint64_t sourceSize, std::uint8_t* destination,
                  std::uint64_t& destinationSize, std::uint32_t* crc, bool deflate64, InflateHost& host) {
  auto state = std::make_unique<InflateState>(source, sourceSize, destination, destinationSize, deflate64);
  return DecodeStream(*state, destinationSize, crc, host);
}

}  // namespace inflate

bool Inflate(const std::uint8_t* source, std::uint64_t sourceSize, std::uint8_t* destination,
             std::uint64_t& destinationSize, std::uint32_t& crc, bool deflate64, InflateHost& host) {
  return inflate::DecodeStream(source, sourceSize, destination, destinationSize, &crc, deflate64, host);
}

bool InflateStreamed(const std::uint8_t* source, std::uint64_t sourceSize, InflateWindow& window, InflateSink& sink,
                     std::uint64_t& destinationSize, std::uint32_t& crc, bool deflate64, InflateHost& host) {
  auto state = std::make_unique<inflate::InflateState>(source, sourceSize, window, sink, destinationSize, deflate64);
  return inflate::DecodeStream(*state, destinationSize, &crc, host);
}

}  // namespace kelvano
