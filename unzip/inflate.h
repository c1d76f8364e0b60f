#pragma once
// The decoder of deflate (RFC 1951) and deflate64 members, writing straight into the
// member's mapped output, or through a reused window to a sink that takes the output
// piece by piece.

#include <cstddef>
#include <cstdint>
#include <memory>

namespace kelvano {

// How a decode ended. The decoder reports nothing itself: its owner, the zip reader,
// turns a failure into its own error.
enum class InflateResult : std::uint8_t {
  kOk,
  // Breaks of the format that the reader names, each its own ordinary error.
  kInputDepleted,        // a stored block cut short
  kBadStoredLength,      // a stored block's length and its complement disagree
  kStoredOverflow,       // a stored block longer than the output's room
  kBadBlockType,         // block type 3
  kOverSubscribedCode,   // code lengths of a dynamic block that make no prefix code
  kRepeatWithoutLength,  // a repeat of the previous length before any length
  kTooManyLengths,       // repeats past the announced number of lengths
  // A stream that would index outside its tables or the output: a code that matches
  // no symbol, length symbol 286 or 287, a distance before the output's start.
  kBadData,
  // A write past the output's declared end.
  kOutputFull,
  // The sink refused output; what it took before stays taken.
  kSinkRefused,
};

// What the decoder tells its owner while it works.
class InflateHost {
 public:
  virtual ~InflateHost() = default;
  // After every block: the input position reached and the member's compressed size.
  virtual void Progress(std::uint64_t position, std::uint64_t size) = 0;
};

// Decodes the sourceSize bytes at source into the destinationSize bytes at destination.
// On success destinationSize holds the number of bytes produced and crc their CRC-32;
// the destination after them is untouched but for up to 40 bytes right after them,
// which are zero (the decoder's scratch; a new output file is zero there).
InflateResult Inflate(const std::uint8_t* source, std::uint64_t sourceSize, std::uint8_t* destination,
                      std::uint64_t& destinationSize, std::uint32_t& crc, bool deflate64, InflateHost& host);

// Takes a streamed output in order, piece by piece.
class InflateSink {
 public:
  virtual ~InflateSink() = default;
  // The size (> 0) bytes after those taken before; false stops the decoder.
  virtual bool Write(const std::uint8_t* data, std::size_t size) = 0;
};

// Memory for streamed output: the last 64 KiB of output, which later matches copy
// from, and room after them. Meant to be reused from member to member, so that its
// pages are touched once rather than every output's.
class InflateWindow {
 public:
  static constexpr std::size_t kHistory = std::size_t{64} << 10;
  static constexpr std::size_t kDefaultRoom = std::size_t{1} << 20;

  // room (at least 1) is how much output is handed over at a time, at most.
  explicit InflateWindow(std::size_t room = kDefaultRoom);
  std::uint8_t* Data() { return bytes_.get(); }
  std::size_t Size() const { return size_; }

 private:
  std::size_t size_;
  std::unique_ptr<std::uint8_t[]> bytes_;
};

// Inflate with the output handed to sink instead of written to one range: the same
// results, computed in the window, and kSinkRefused. destinationSize is the output's
// declared size on entry, as for Inflate.
InflateResult InflateStreamed(const std::uint8_t* source, std::uint64_t sourceSize, InflateWindow& window,
                              InflateSink& sink, std::uint64_t& destinationSize, std::uint32_t& crc, bool deflate64,
                              InflateHost& host);

// CRC-32 of the zip format, continued from crc (0 to start) over size bytes.
std::uint32_t Crc32(std::uint32_t crc, const std::uint8_t* data, std::size_t size);

}  // namespace kelvano
