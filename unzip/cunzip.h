#pragma once
// The setup's zip reader: Init reads an archive's central directory, Unzip extracts
// its entries below a folder. Ordinary failures are reported through SetError (the
// Error event and LastError) and cost only the entry concerned; Unzip then returns
// false. Run-time errors (SetupError, for compressed data the decoder could not
// index) end the whole call after every mapping is released and the unfinished file
// deleted.

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <unordered_set>
#include <vector>

#include "unzip/archive_windows.h"
#include "unzip/inflate.h"
#include "unzip/member_overlaps.h"
#include "unzip/zip_entry.h"
#include "unzip/zip_errors.h"
#include "unzip/zip_file_system.h"
#include "unzip/zip_filter.h"
#include "unzip/zip_names.h"

namespace kelvano {

// The reader's error for a decode that failed other than by its sink's refusal: the
// text of an ordinary error; raises the run-time error (SetupError 9, "Subscript out of
// range") for data that would index outside the decoder's tables or its output.
const char* DecodingError(InflateResult result);

class cUnzip {
 public:
  explicit cUnzip(ZipFileSystem& files, NameRules nameRules = kSystemNameRules);
  ~cUnzip();
  cUnzip(const cUnzip&) = delete;
  cUnzip& operator=(const cUnzip&) = delete;

  const std::string& ZipName() const { return zipName_; }
  const std::string& Comments() const { return comments_; }
  // The number of entries the archive announced; 0 before a table exists.
  std::int32_t Count() const { return static_cast<std::int32_t>(entries_.size()); }
  const std::string& LastError() const { return lastError_; }
  // The system's error code of the last output that could not be made or written (112:
  // the disk is full); 0 when none failed.
  long LastWriteError() const { return lastWriteError_; }
  std::span<const ZipEntry> Entries() const { return entries_; }

  bool Init(const std::string& sZipName);
  // vFilter: every entry (none), a name pattern, or a selection by index.
  bool Unzip(const std::string& sTargetPath, const ZipFilter& vFilter = {});

  // Raised by every reported error, with the index of the entry concerned (-1 for the
  // archive itself).
  std::function<void(std::int32_t Idx, const std::string& Error)> Error;
  // Raised by the decoder after every block: input position reached in the member's
  // compressed data, and its compressed size.
  std::function<void(std::int32_t Idx, std::uint64_t Pos, std::uint64_t Size)> Progress;

  // Archives up to this size are mapped at once; larger ones window by window.
  void SetWholeMappingLimit(std::uint64_t bytes) { wholeMappingLimit_ = bytes; }
  // Outputs written in order get their bytes at most this many at a time.
  void SetStreamRoom(std::size_t bytes) {
    windowRoom_ = bytes;
    window_.reset();
  }

 private:
  class DecoderHost;
  class OutputSink;
  enum class Outcome { Extracted, Failed, StopRun };

  void SetError(const std::string& text);
  Outcome Fail(const std::string& text);
  bool ReadDirectory(ArchiveWindows& archive);
  Outcome ExtractEntry(ArchiveWindows& archive, const std::string& targetPath, bool overlapping);
  Outcome WriteMember(ArchiveWindows& archive, ZipEntry& entry, std::uint64_t dataStart, const std::string& outputPath);
  bool CopyStored(ArchiveWindows& archive, std::uint64_t dataStart, std::uint64_t size, OutputFile& output,
                  const std::string& outputPath, std::uint32_t& crc);
  InflateWindow& Window();
  std::vector<ByteRange> MemberRanges(ArchiveWindows& archive) const;
  bool EnsureFolder(std::string path);
  // " (error N: the system's words)" for an output's failure, remembered for the caller.
  std::string Because(long error);

  ZipFileSystem& files_;
  NameRules nameRules_;
  std::uint64_t wholeMappingLimit_ = ArchiveWindows::kDefaultWholeFileLimit;
  std::vector<ZipEntry> entries_;
  std::string zipName_;
  std::string comments_;
  std::int32_t currentIndex_ = -1;
  std::string lastError_;
  long lastWriteError_ = 0;
  bool initSucceeded_ = false;
  // Folders known to exist during one Unzip call: most members share their folder.
  std::unordered_set<std::string> ensuredFolders_;
  DateTime extractionTime_;  // every file's last access
  // Where members written in order are decoded; made once, when first needed.
  std::size_t windowRoom_ = InflateWindow::kDefaultRoom;
  std::unique_ptr<InflateWindow> window_;
};

}  // namespace kelvano
