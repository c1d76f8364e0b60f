#pragma once
// The decoder of deflate (RFC 1951) and deflate64 members, writing straight into the
// member's mapped output, or through a reused window to a sink that takes the output
// piece by piece.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace kelvano {

// What the decoder needs from its owner, the zip reader.
class InflateHost {
 public:
  virtual ~InflateHost() = default;
  // An ordinary decoding error ("Invalid block size", ...): the member fails.
  virtual void SetError(const std::string& text) = 0;
  // After every block: the input position reached and the member's compressed size.
  virtual void Progress(std::uint64_t position, std::uint64_t size) = 0;
};

// Decodes the sourceSize bytes at source into the destinationSize bytes at destination.
// Returns false after reporting an ordinary error to host. Raises SetupError (number 9,
// "Subscript out of range") for the run-time errors: a code that matches no symbol,
// length symbols 286 and 287, a distance before the start of the output, and any write
// past its end. On success destinationSize holds the number of bytes produced and crc
// their CRC-32; the destination after them is untouched but for up to 40 bytes right
// after them, which are zero (the decoder's scratch; a new output file is zero there).
bool Inflate(const std::uint8_t* source, std::uint64_t sourceSize, std::uint8_t* destination,
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
// results, errors and run-time errors, computed in the window. destinationSize is the
// output's declared size on entry, as for Inflate. Returns false also when the sink
// refused bytes, which the sink reports itself; what it took before stays taken.
bool InflateStreamed(const std::uint8_t* source, std::uint64_t sourceSize, InflateWindow& window, InflateSink& sink,
                     std::uint64_t& destinationSize, std::uint32_t& crc, bool deflate64, InflateHost& host);

// CRC-32 of the zip format, continued from crc (0 to start) over size bytes.
std::uint32_t Crc32(std::uint32_t crc, const std::uint8_t* data, std::size_t size);

}  // namespace kelvano
