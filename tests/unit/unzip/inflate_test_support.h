#pragma once
// Helpers of the decoder's tests: a deflate bit writer for crafted streams, a host
// that records what the decoder reports, and a guarded decode.

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/sample_data.h"
#include "tests/support/zlib_reference.h"
#include "unzip/inflate.h"
#include "unzip/inflate_state.h"

namespace kelvano::test {

// Writes a deflate stream: fields first bit first, Huffman codes first bit first
// from their high bit, as the format packs them.
class BitWriter {
 public:
  BitWriter& Bits(std::uint32_t value, unsigned count);
  BitWriter& Code(std::uint32_t code, unsigned length);
  BitWriter& AlignToByte();
  BitWriter& Byte(std::uint8_t value) { return Bits(value, 8); }

  // Block header: final flag, then the type (0 stored, 1 fixed, 2 dynamic, 3 bad).
  BitWriter& Header(bool final, unsigned type) { return Bits(final ? 1 : 0, 1).Bits(type, 2); }
  // A whole stored block, LEN and NLEN as given.
  BitWriter& Stored(bool final, const Bytes& data);

  // Symbols of the fixed codes.
  BitWriter& FixedSymbol(unsigned symbol);
  BitWriter& FixedLiteral(std::uint8_t byte) { return FixedSymbol(byte); }
  BitWriter& FixedEnd() { return FixedSymbol(256); }
  // A match with the fixed codes; length 3-258, distance 1-65536.
  BitWriter& FixedMatch(unsigned length, unsigned distance);

  Bytes Finish() const { return bytes_; }
  std::size_t BitCount() const { return bytes_.size() * 8 - (8 - used_) % 8; }

 private:
  Bytes bytes_;
  unsigned used_ = 8;  // bits used in the last byte
};

// Length symbol (257-285) and its extra bits for a plain deflate length 3-258.
std::pair<unsigned, unsigned> LengthSymbol(unsigned length);
// Distance symbol (0-31) and its extra bits for a distance 1-65536.
std::pair<unsigned, unsigned> DistanceSymbol(unsigned distance);
unsigned LengthBase(unsigned symbol);
unsigned LengthExtraBits(unsigned symbol);
unsigned DistanceBase(unsigned symbol);
unsigned DistanceExtraBits(unsigned symbol);

// Canonical codes of a set of code lengths (0: no code).
std::vector<std::uint32_t> CanonicalCodes(const std::vector<unsigned>& lengths);

// A dynamic block's header: the given literal/length and distance code lengths (their
// counts give HLIT and HDIST), each length sent as its own code-length symbol.
// Returns the codes, for writing symbols after it.
struct DynamicCodes {
  std::vector<std::uint32_t> literal, distance;
  std::vector<unsigned> literalLengths, distanceLengths;
};
DynamicCodes MakeCodes(const std::vector<unsigned>& literalLengths, const std::vector<unsigned>& distanceLengths);
DynamicCodes WriteDynamicHeader(BitWriter& writer, bool final, const std::vector<unsigned>& literalLengths,
                                const std::vector<unsigned>& distanceLengths);
// For streams whose length sequence is itself wrong: the HLIT, HDIST and HCLEN fields
// and the code-length code, after which the test writes code-length symbols (with
// their extra bits) one by one.
void WriteDynamicPrefix(BitWriter& writer, unsigned hlit, unsigned hdist);
void WriteCodeLengthSymbol(BitWriter& writer, unsigned symbol, unsigned extra = 0);
// Complete codes of a typical block: literal/length symbols 0-225 of 8 bits and
// 226-285 of 9; distance symbols 0-1 of 4 bits and 2-29 of 5.
std::vector<unsigned> TypicalLiteralLengths();
std::vector<unsigned> TypicalDistanceLengths();
// Symbols with a dynamic block's codes.
void WriteSymbol(BitWriter& writer, const DynamicCodes& codes, unsigned symbol);
void WriteMatch(BitWriter& writer, const DynamicCodes& codes, unsigned length, unsigned distance);

struct RecordingHost : InflateHost {
  void Progress(std::uint64_t position, std::uint64_t size) override { progress.emplace_back(position, size); }
  std::vector<std::string> errors;  // the reader's ordinary errors, see AsReader
  std::vector<std::pair<std::uint64_t, std::uint64_t>> progress;
};

// What the zip reader makes of a decode's result: true on success; an ordinary error's
// text kept in host.errors; the run-time error raised.
bool AsReader(InflateResult result, RecordingHost& host);

// Keeps what a streamed decode hands over.
struct CollectingSink : InflateSink {
  bool Write(const std::uint8_t* data, std::size_t size) override;
  Bytes bytes;
};

struct DecodeResult {
  bool ok = false;
  Bytes output;                // the bytes produced (success) or the whole capacity
  std::uint64_t produced = 0;  // destinationSize after the call
  std::uint32_t crc = 0;
  std::optional<std::string> raised;  // "number source description" of a run-time error
  RecordingHost host;                 // errors and progress reported
  bool guardIntact = true;            // no byte written after the capacity
  bool restZero = true;               // the capacity after the bytes produced still zero
};

// Decodes into a buffer of exactly capacity zero bytes (a new output file) followed
// by guard bytes. The same stream is also decoded streamed, through windows with
// little room (so that output is handed over and matches are cut constantly), each of
// which must come to the same result: a test of the one is a test of the other.
DecodeResult Decode(const Bytes& stream, std::size_t capacity, bool deflate64 = false);
// Streamed only, through a window with the given room; output is what the sink took.
DecodeResult DecodeStreamed(const Bytes& stream, std::size_t capacity, bool deflate64, std::size_t room);

// Makes the decoder run the given build of its fast loop until destroyed.
class FastLoopScope {
 public:
  explicit FastLoopScope(inflate::FastLoopKind kind) : available_(inflate::UseFastLoop(kind)) {}
  ~FastLoopScope() {
    if (!inflate::UseFastLoop(inflate::FastLoopKind::kBmi2)) inflate::UseFastLoop(inflate::FastLoopKind::kPortable);
  }
  FastLoopScope(const FastLoopScope&) = delete;
  FastLoopScope& operator=(const FastLoopScope&) = delete;
  // False when this processor cannot run it.
  bool Available() const { return available_; }

 private:
  bool available_;
};

inline const char* FastLoopName(inflate::FastLoopKind kind) {
  return kind == inflate::FastLoopKind::kBmi2 ? "Bmi2" : "Portable";
}

inline Bytes ToBytes(const std::string& text) { return Bytes(text.begin(), text.end()); }

// What a match appends, byte by byte as the format defines it.
inline void AppendMatch(Bytes& out, unsigned length, unsigned distance) {
  for (unsigned i = 0; i < length; ++i) out.push_back(out[out.size() - distance]);
}

}  // namespace kelvano::test
