#pragma once
// A file opened for reading in pieces, with the OS's own error codes: the copy of an
// installer from a local disk or a file share.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace kelvano {

class ReadableFile {
 public:
  // Null, with the error in `error`, when the path is no ordinary file that can be read.
  static std::unique_ptr<ReadableFile> Open(const std::string& path, long& error);
  virtual ~ReadableFile() = default;

  virtual std::uint64_t Size() const = 0;
  // What names this version of the file for a resumed copy: its size and the time of
  // its last change.
  virtual std::string Validator() const = 0;
  // Reads at most `size` bytes; 0 read at the end of the file. The OS's error code, or 0.
  virtual long Read(char* buffer, std::size_t size, std::size_t& read) = 0;
  // Reading goes on from this byte; the OS's error code, or 0.
  virtual long SkipTo(std::uint64_t offset) = 0;
};

}  // namespace kelvano
