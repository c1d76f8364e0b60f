#include "tests/unit/unzip/inflate_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <stdexcept>

#include "system/setup_error.h"
#include "unzip/cunzip.h"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#endif

namespace kelvano::test {
namespace {

constexpr unsigned kLengthBase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                      31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr unsigned kLengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                       2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};

// The code-length code of every crafted dynamic block: complete, 4 or 5 bits.
const std::vector<unsigned>& CodeLengthLengths() {
  static const std::vector<unsigned> lengths = {4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 5, 5, 5, 5, 5, 5};
  return lengths;
}

}  // namespace

BitWriter& BitWriter::Bits(std::uint32_t value, unsigned count) {
  for (unsigned i = 0; i < count; ++i) {
    if (used_ == 8) {
      bytes_.push_back(0);
      used_ = 0;
    }
    bytes_.back() |= std::uint8_t(((value >> i) & 1) << used_++);
  }
  return *this;
}

BitWriter& BitWriter::Code(std::uint32_t code, unsigned length) {
  for (unsigned i = length; i-- > 0;) Bits((code >> i) & 1, 1);
  return *this;
}

BitWriter& BitWriter::AlignToByte() {
  used_ = 8;
  return *this;
}

BitWriter& BitWriter::Stored(bool final, const Bytes& data) {
  Header(final, 0).AlignToByte();
  Bits(std::uint32_t(data.size()), 16).Bits(~std::uint32_t(data.size()) & 0xFFFF, 16);
  for (std::uint8_t byte : data) Byte(byte);
  return *this;
}

BitWriter& BitWriter::FixedSymbol(unsigned symbol) {
  if (symbol < 144) return Code(0x30 + symbol, 8);
  if (symbol < 256) return Code(0x190 + symbol - 144, 9);
  if (symbol < 280) return Code(symbol - 256, 7);
  return Code(0xC0 + symbol - 280, 8);
}

BitWriter& BitWriter::FixedMatch(unsigned length, unsigned distance) {
  const auto [symbol, extra] = LengthSymbol(length);
  FixedSymbol(symbol).Bits(extra, LengthExtraBits(symbol));
  const auto [distanceSymbol, distanceExtra] = DistanceSymbol(distance);
  return Code(distanceSymbol, 5).Bits(distanceExtra, DistanceExtraBits(distanceSymbol));
}

unsigned LengthBase(unsigned symbol) { return kLengthBase[symbol - 257]; }
unsigned LengthExtraBits(unsigned symbol) { return kLengthExtra[symbol - 257]; }

unsigned DistanceBase(unsigned symbol) {
  unsigned base = 1;
  for (unsigned s = 0; s < symbol; ++s) base += 1u << DistanceExtraBits(s);
  return base;
}
unsigned DistanceExtraBits(unsigned symbol) { return symbol < 4 ? 0 : symbol / 2 - 1; }

std::pair<unsigned, unsigned> LengthSymbol(unsigned length) {
  for (unsigned s = 285; s >= 257; --s) {
    const unsigned base = kLengthBase[s - 257];
    if (length >= base && length - base < (1u << kLengthExtra[s - 257])) return {s, length - base};
  }
  throw std::invalid_argument("length");
}

std::pair<unsigned, unsigned> DistanceSymbol(unsigned distance) {
  for (unsigned s = 32; s-- > 0;) {
    if (distance >= DistanceBase(s)) return {s, distance - DistanceBase(s)};
  }
  throw std::invalid_argument("distance");
}

std::vector<std::uint32_t> CanonicalCodes(const std::vector<unsigned>& lengths) {
  unsigned count[16] = {}, next[16] = {};
  for (unsigned length : lengths) ++count[length];
  count[0] = 0;
  for (unsigned bits = 1, code = 0; bits < 16; ++bits) next[bits] = code = (code + count[bits - 1]) << 1;
  std::vector<std::uint32_t> codes(lengths.size());
  for (std::size_t s = 0; s < lengths.size(); ++s)
    if (lengths[s] != 0) codes[s] = next[lengths[s]]++;
  return codes;
}

void WriteDynamicPrefix(BitWriter& writer, unsigned hlit, unsigned hdist) {
  static constexpr unsigned kOrder[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
  writer.Bits(hlit - 257, 5).Bits(hdist - 1, 5).Bits(19 - 4, 4);
  for (unsigned symbol : kOrder) writer.Bits(CodeLengthLengths()[symbol], 3);
}

void WriteCodeLengthSymbol(BitWriter& writer, unsigned symbol, unsigned extra) {
  static const std::vector<std::uint32_t> codes = CanonicalCodes(CodeLengthLengths());
  writer.Code(codes[symbol], CodeLengthLengths()[symbol]);
  if (symbol == 16) writer.Bits(extra, 2);
  if (symbol == 17) writer.Bits(extra, 3);
  if (symbol == 18) writer.Bits(extra, 7);
}

DynamicCodes WriteDynamicHeader(BitWriter& writer, bool final, const std::vector<unsigned>& literalLengths,
                                const std::vector<unsigned>& distanceLengths) {
  writer.Header(final, 2);
  WriteDynamicPrefix(writer, unsigned(literalLengths.size()), unsigned(distanceLengths.size()));
  for (unsigned length : literalLengths) WriteCodeLengthSymbol(writer, length);
  for (unsigned length : distanceLengths) WriteCodeLengthSymbol(writer, length);
  return MakeCodes(literalLengths, distanceLengths);
}

DynamicCodes MakeCodes(const std::vector<unsigned>& literalLengths, const std::vector<unsigned>& distanceLengths) {
  return {CanonicalCodes(literalLengths), CanonicalCodes(distanceLengths), literalLengths, distanceLengths};
}

std::vector<unsigned> TypicalLiteralLengths() {
  std::vector<unsigned> lengths(286, 8);
  std::fill(lengths.begin() + 226, lengths.end(), 9);
  return lengths;
}

std::vector<unsigned> TypicalDistanceLengths() {
  std::vector<unsigned> lengths(30, 5);
  lengths[0] = lengths[1] = 4;
  return lengths;
}

void WriteSymbol(BitWriter& writer, const DynamicCodes& codes, unsigned symbol) {
  writer.Code(codes.literal[symbol], codes.literalLengths[symbol]);
}

void WriteMatch(BitWriter& writer, const DynamicCodes& codes, unsigned length, unsigned distance) {
  const auto [symbol, extra] = LengthSymbol(length);
  WriteSymbol(writer, codes, symbol);
  writer.Bits(extra, LengthExtraBits(symbol));
  const auto [distanceSymbol, distanceExtra] = DistanceSymbol(distance);
  writer.Code(codes.distance[distanceSymbol], codes.distanceLengths[distanceSymbol]);
  writer.Bits(distanceExtra, DistanceExtraBits(distanceSymbol));
}

namespace {

// Exactly sized input, so that the sanitizer sees any read past it.
std::unique_ptr<std::uint8_t[]> ExactCopy(const Bytes& stream) {
  std::unique_ptr<std::uint8_t[]> input(new std::uint8_t[stream.size() + 1]);
  std::copy(stream.begin(), stream.end(), input.get());
  return input;
}

std::string Describe(const SetupError& error) {
  return std::to_string(error.Number()) + " " + error.Source() + " " + error.Description();
}

DecodeResult DecodeOnce(const Bytes& stream, std::size_t capacity, bool deflate64) {
  constexpr std::size_t kGuard = 64;
  constexpr std::uint8_t kGuardByte = 0xA5;
  const std::unique_ptr<std::uint8_t[]> input = ExactCopy(stream);
  Bytes buffer(capacity + kGuard, kGuardByte);
  std::fill(buffer.begin(), buffer.begin() + capacity, 0);
#if defined(__SANITIZE_ADDRESS__)
  ASAN_POISON_MEMORY_REGION(buffer.data() + capacity, kGuard);
#endif
  DecodeResult result;
  result.produced = capacity;
  try {
    result.ok = AsReader(
        Inflate(input.get(), stream.size(), buffer.data(), result.produced, result.crc, deflate64, result.host),
        result.host);
  } catch (const SetupError& error) {
    result.raised = Describe(error);
  }
#if defined(__SANITIZE_ADDRESS__)
  ASAN_UNPOISON_MEMORY_REGION(buffer.data() + capacity, kGuard);
#endif
  for (std::size_t i = capacity; i < buffer.size(); ++i) result.guardIntact &= buffer[i] == kGuardByte;
  if (result.ok) {
    for (std::size_t i = result.produced; i < capacity; ++i) result.restZero &= buffer[i] == 0;
  }
  buffer.resize(result.ok ? result.produced : capacity);
  result.output = std::move(buffer);
  return result;
}

// Windows that hand output over after every byte (small outputs only: each time, the
// history moves), before the fast loop has room to run, and while it runs.
std::vector<std::size_t> StreamRooms(std::size_t capacity) {
  if (capacity <= 80000) return {1, 300, 5000};
  return {300, 5000};
}

void ExpectSameOutcome(const DecodeResult& once, const DecodeResult& streamed) {
  EXPECT_EQ(streamed.ok, once.ok);
  EXPECT_EQ(streamed.raised, once.raised);
  EXPECT_EQ(streamed.host.errors, once.host.errors);
  EXPECT_EQ(streamed.host.progress, once.host.progress);
  if (once.ok && streamed.ok) {
    EXPECT_EQ(streamed.produced, once.produced);
    EXPECT_EQ(streamed.crc, once.crc);
    EXPECT_TRUE(streamed.output == once.output) << "streamed output differs";
  } else {
    // What was handed over before the failure is what the one-shot decode wrote.
    EXPECT_LE(streamed.output.size(), once.output.size());
    EXPECT_TRUE(std::equal(streamed.output.begin(), streamed.output.end(), once.output.begin()))
        << "streamed output differs";
  }
}

}  // namespace

bool AsReader(InflateResult result, RecordingHost& host) {
  if (result == InflateResult::kOk) return true;
  if (result != InflateResult::kSinkRefused) host.errors.push_back(DecodingError(result));
  return false;
}

bool CollectingSink::Write(const std::uint8_t* data, std::size_t size) {
  EXPECT_NE(size, 0u) << "an empty piece";
  bytes.insert(bytes.end(), data, data + size);
  return true;
}

DecodeResult DecodeStreamed(const Bytes& stream, std::size_t capacity, bool deflate64, std::size_t room) {
  const std::unique_ptr<std::uint8_t[]> input = ExactCopy(stream);
  InflateWindow window(room);
  CollectingSink sink;
  DecodeResult result;
  result.produced = capacity;
  try {
    result.ok = AsReader(
        InflateStreamed(input.get(), stream.size(), window, sink, result.produced, result.crc, deflate64, result.host),
        result.host);
  } catch (const SetupError& error) {
    result.raised = Describe(error);
  }
  EXPECT_LE(sink.bytes.size(), capacity);
  if (result.ok) {
    EXPECT_EQ(sink.bytes.size(), result.produced);
  }
  result.output = std::move(sink.bytes);
  return result;
}

DecodeResult Decode(const Bytes& stream, std::size_t capacity, bool deflate64) {
  DecodeResult result = DecodeOnce(stream, capacity, deflate64);
  for (std::size_t room : StreamRooms(capacity)) {
    SCOPED_TRACE("streamed through a window with room for " + std::to_string(room));
    ExpectSameOutcome(result, DecodeStreamed(stream, capacity, deflate64, room));
  }
  return result;
}

}  // namespace kelvano::test
