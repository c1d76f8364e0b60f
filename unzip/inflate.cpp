#include "unzip/inflate.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "unzip/inflate_copy.h"
#include "unzip/inflate_state.h"

namespace kelvano {
namespace {

using inflate::InflateState;

InflateResult ReadStoredBlock(InflateState& state, std::uint64_t sourceSize) {
  std::uint64_t position = state.bits.BytePosition();
  if (position > sourceSize || sourceSize - position < 4) return InflateResult::kInputDepleted;
  const std::uint8_t* header = state.bits.begin + position;
  const unsigned length = header[0] | header[1] << 8;
  const unsigned complement = header[2] | header[3] << 8;
  if (length != (~complement & 0xFFFFu)) return InflateResult::kBadStoredLength;
  position += 4;
  if (length > sourceSize - position) return InflateResult::kInputDepleted;
  if (length > state.DeclaredRoom(state.outNext)) return InflateResult::kStoredOverflow;
  const std::uint8_t* from = state.bits.begin + position;
  for (unsigned left = length; left != 0;) {
    if (state.outNext == state.outEnd) {
      if (const InflateResult made = inflate::MakeRoom(state, state.outNext); made != InflateResult::kOk) return made;
    }
    const auto piece = unsigned(std::min<std::uint64_t>(left, std::uint64_t(state.outEnd - state.outNext)));
    std::memcpy(state.outNext, from, piece);
    state.outNext += piece;
    from += piece;
    left -= piece;
  }
  state.bits.Restart(position + length);
  return InflateResult::kOk;
}

InflateResult ReadDynamicTables(InflateState& state) {
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
    return InflateResult::kOverSubscribedCode;
  }

  // Literal/length and distance lengths form one sequence: repeats may cross over.
  std::uint8_t lengths[288 + 32] = {};
  const unsigned total = literalCount + distanceCount;
  for (unsigned i = 0; i < total;) {
    bits.Need(kCodeLengthBits);
    const std::uint32_t entry = codeLengthTable[bits.Peek(kCodeLengthBits)];
    if (entry & kExceptional) return InflateResult::kBadData;
    bits.Drop(ConsumeBits(entry));
    const unsigned symbol = EntryValue(entry);
    if (symbol < 16) {
      lengths[i++] = std::uint8_t(symbol);
      continue;
    }
    std::uint8_t repeated = 0;
    unsigned repeat;
    if (symbol == 16) {
      if (i == 0) return InflateResult::kRepeatWithoutLength;
      repeated = lengths[i - 1];
      repeat = 3 + bits.Get(2);
    } else if (symbol == 17) {
      repeat = 3 + bits.Get(3);
    } else {
      repeat = 11 + bits.Get(7);
    }
    if (repeat > total - i) return InflateResult::kTooManyLengths;
    std::memset(lengths + i, repeated, repeat);
    i += repeat;
  }

  const TableKind literalKind = state.deflate64 ? TableKind::kLiteralLength64 : TableKind::kLiteralLength;
  if (!BuildDecodeTable(lengths, literalCount, literalKind, state.dynamicTables.LiteralLength()) ||
      !BuildDecodeTable(lengths + literalCount, distanceCount, TableKind::kDistance, state.dynamicTables.Distance())) {
    return InflateResult::kOverSubscribedCode;
  }
  state.tables = &state.dynamicTables;
  return InflateResult::kOk;
}

InflateResult DecodeBlock(InflateState& state, unsigned type, std::uint64_t sourceSize) {
  switch (type) {
    case 0: state.bits.Drop(state.bits.count % 8); return ReadStoredBlock(state, sourceSize);
    case 1: state.tables = &inflate::FixedTables(state.deflate64); return inflate::DecodeHuffmanBlock(state);
    case 2: {
      const InflateResult read = ReadDynamicTables(state);
      return read == InflateResult::kOk ? inflate::DecodeHuffmanBlock(state) : read;
    }
    default: return InflateResult::kBadBlockType;
  }
}

}  // namespace

namespace inflate {

InflateResult DecodeStream(InflateState& state, std::uint64_t& destinationSize, std::uint32_t* crc, InflateHost& host) {
  const std::uint64_t sourceSize = std::uint64_t(state.bits.end - state.bits.begin);
  state.checksum = crc != nullptr;
  bool final;
  do {
    final = state.bits.Get(1) != 0;
    if (const InflateResult result = DecodeBlock(state, state.bits.Get(2), sourceSize); result != InflateResult::kOk) {
      return result;
    }
    // Checked while the block's output is still in the cache.
    UpdateCrc(state);
    host.Progress(std::min(state.bits.BytePosition(), sourceSize), sourceSize);
  } while (!final);
  if (state.sink) {
    if (state.outNext != state.unsent && !state.sink->Write(state.unsent, std::size_t(state.outNext - state.unsent))) {
      return InflateResult::kSinkRefused;
    }
  } else {
    // Scratch written past the last match, gone over in a file of the announced size.
    const std::ptrdiff_t scratch = std::min<std::ptrdiff_t>(kOvershoot, state.outEnd - state.outNext);
    if (scratch > 0) std::memset(state.outNext, 0, std::size_t(scratch));
  }
  destinationSize = state.Produced();
  if (crc) *crc = state.crc;
  return InflateResult::kOk;
}

InflateResult DecodeStream(const std::uint8_t* source, std::uint64_t sourceSize, std::uint8_t* destination,
                           std::uint64_t& destinationSize, std::uint32_t* crc, bool deflate64, InflateHost& host) {
  auto state = std::make_unique<InflateState>(source, sourceSize, destination, destinationSize, deflate64);
  return DecodeStream(*state, destinationSize, crc, host);
}

}  // namespace inflate

InflateResult Inflate(const std::uint8_t* source, std::uint64_t sourceSize, std::uint8_t* destination,
                      std::uint64_t& destinationSize, std::uint32_t& crc, bool deflate64, InflateHost& host) {
  return inflate::DecodeStream(source, sourceSize, destination, destinationSize, &crc, deflate64, host);
}

InflateResult InflateStreamed(const std::uint8_t* source, std::uint64_t sourceSize, InflateWindow& window,
                              InflateSink& sink, std::uint64_t& destinationSize, std::uint32_t& crc, bool deflate64,
                              InflateHost& host) {
  auto state = std::make_unique<inflate::InflateState>(source, sourceSize, window, sink, destinationSize, deflate64);
  return inflate::DecodeStream(*state, destinationSize, &crc, host);
}

}  // namespace kelvano
