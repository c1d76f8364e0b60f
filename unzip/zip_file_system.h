#pragma once
// What the zip reader needs from the operating system: read windows of a mapped
// archive, output files created at their final size and written through a mapping or
// in order, piece by piece, folders, and file times. Paths use "\"; away from Windows
// each "\" stands for "/". Everything handed out releases itself when destroyed.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "system/date_time.h"

namespace kelvano {

// One mapped view, released when destroyed.
class MappedView {
 public:
  virtual ~MappedView() = default;
  virtual std::uint8_t* Data() = 0;
  virtual std::size_t Size() const = 0;
};

// An archive opened for reading.
class ArchiveFile {
 public:
  virtual ~ArchiveFile() = default;
  virtual std::uint64_t Size() const = 0;
  // A read-only view of [offset, offset + length), which the caller keeps inside the
  // file; null when the system cannot map it (address space, ...).
  virtual std::unique_ptr<MappedView> Map(std::uint64_t offset, std::size_t length) = 0;
};

// A new output file of a given final length, written one of two ways: through
// writable views (the file has its length from the start), or by appending its bytes
// in order, which spares a system where the first touch of every fresh page of a
// mapping costs more than the bytes written into it. Unless Keep is called it is
// deleted when destroyed; every view of it must be gone by then.
class OutputFile {
 public:
  virtual ~OutputFile() = default;
  // Whether the file is written with Append rather than Map.
  virtual bool Appends() const = 0;
  // A writable view of [offset, offset + length) inside the file; null on failure.
  virtual std::unique_ptr<MappedView> Map(std::uint64_t offset, std::size_t length) = 0;
  // Writes size bytes after those appended before, never past the final length; false
  // on failure (no space left...).
  virtual bool Append(const std::uint8_t* data, std::size_t size) = 0;
  // The system's error code of the last Append that failed (112: the disk is full).
  virtual long WriteError() const { return 0; }
  // Local date-times, converted by the system; false when they could not be set.
  virtual bool SetTimes(const DateTime& created, const DateTime& accessed, const DateTime& written) = 0;
  virtual void Keep() = 0;
};

class ZipFileSystem {
 public:
  virtual ~ZipFileSystem() = default;
  // Null when the file cannot be opened.
  virtual std::unique_ptr<ArchiveFile> OpenArchive(const std::string& path) = 0;
  // Creates or replaces the file of final length size; null on failure.
  virtual std::unique_ptr<OutputFile> CreateOutput(const std::string& path, std::uint64_t size) = 0;
  // The system's error code of the last CreateOutput that failed.
  virtual long CreateError() const { return 0; }
  // The bytes free for this process on the volume of the folder (or of its nearest
  // existing parent); nothing when the system cannot tell.
  virtual std::optional<std::uint64_t> FreeSpace(const std::string& folder) = 0;
  virtual bool FolderExists(const std::string& path) = 0;
  // Creates one folder whose parent exists.
  virtual bool CreateFolder(const std::string& path) = 0;
  virtual DateTime LocalNow() = 0;
};

// The running system's files: archives mapped, outputs appended. A view of an output
// that the disk cannot back faults instead of failing, and a disk that allocates on
// write (a network share, a compressed folder) fills under it.
std::unique_ptr<ZipFileSystem> MakeSystemZipFileSystem();

}  // namespace kelvano
