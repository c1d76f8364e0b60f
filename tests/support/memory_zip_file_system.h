#pragma once
// Files and folders held in memory, with the behaviours the zip reader relies on: a
// folder's parent must exist, a file cannot stand where a folder is, an unkept output
// disappears. Outputs are written through views or appended, as chosen. Every view,
// read or written, ends at an inaccessible page and archive views are read-only, so
// a stray access faults at once; so does an append past an output's end. Tests stage archives with it;
// the fuzzer extracts into it.

#include <cstddef>
#include <cstdint>
#include <map>
#include <set>
#include <string>

#include "system/windows_errors.h"
#include "unzip/zip_file_system.h"

namespace kelvano {

class MemoryZipFileSystem : public ZipFileSystem {
 public:
  struct File {
    std::string content;
    DateTime created, accessed, written;
  };

  void AddFile(const std::string& path, std::string content);
  void AddFolder(const std::string& path);
  void SetNow(const DateTime& now) { now_ = now; }
  // Views longer than this cannot be mapped, as in a process short of address space.
  void SetMappingLimit(std::size_t bytes) { mappingLimit_ = bytes; }
  // Outputs larger than this cannot be created, as on a disk short of space.
  void SetFileSizeLimit(std::uint64_t bytes) { fileSizeLimit_ = bytes; }
  // New outputs are written in order with Append, not through views.
  void SetAppendingOutputs(bool appending) { appendingOutputs_ = appending; }
  // Appending fails past this many bytes of an output, as on a disk that fills up (the
  // failure is error 112, the disk is full).
  void SetAppendLimit(std::size_t bytes) { appendLimit_ = bytes; }
  // What FreeSpace answers for every folder; nothing: the system cannot tell.
  void SetFreeSpace(std::optional<std::uint64_t> bytes) { freeSpace_ = bytes; }

  const std::map<std::string, File>& Files() const { return files_; }
  const std::set<std::string>& Folders() const { return folders_; }
  // Archives, outputs and views not released yet.
  int OpenObjects() const { return openObjects_; }

  std::unique_ptr<ArchiveFile> OpenArchive(const std::string& path) override;
  std::unique_ptr<OutputFile> CreateOutput(const std::string& path, std::uint64_t size) override;
  long CreateError() const override { return windows_error::kDiskFull; }
  std::optional<std::uint64_t> FreeSpace(const std::string&) override { return freeSpace_; }
  bool FolderExists(const std::string& path) override { return folders_.count(path) > 0; }
  bool CreateFolder(const std::string& path) override;
  DateTime LocalNow() override { return now_; }

 private:
  class Archive;
  class Output;
  class View;

  bool ParentExists(const std::string& path) const;

  std::map<std::string, File> files_;
  std::set<std::string> folders_;
  DateTime now_{2024, 5, 6, 7, 8, 9};
  std::size_t mappingLimit_ = SIZE_MAX;
  std::uint64_t fileSizeLimit_ = std::uint64_t{256} << 20;
  bool appendingOutputs_ = false;
  std::size_t appendLimit_ = SIZE_MAX;
  std::optional<std::uint64_t> freeSpace_;
  int openObjects_ = 0;
};

}  // namespace kelvano
