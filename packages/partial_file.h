#pragma once
// The bytes of a download on their way, at a fixed place beside the target (the
// target's name + ".partial"), so that a run that is killed leaves them where the next
// run finds them. Putting the file in place is a rename on one volume; a PartialFile
// given up without Commit deletes its bytes.

#include <cstdint>
#include <string>
#include <string_view>

#include "packages/busy_files.h"
#include "system/platform_file.h"

namespace kelvano {

// Where the partial download of target lies.
std::string PartialPathOf(const std::string& target);

class PartialFile {
 public:
  // Opens the partial file of the target, with the bytes already there (an earlier
  // run's), or creates it; IsOpen tells whether that worked, Error why not.
  explicit PartialFile(std::string targetPath, BusyRetry busy = {});
  ~PartialFile();
  PartialFile(const PartialFile&) = delete;
  PartialFile& operator=(const PartialFile&) = delete;

  bool IsOpen() const;
  // The system's error code of the last call that failed (112: the disk is full).
  long Error() const { return error_; }
  // False when the bytes could not all be written.
  bool Write(std::string_view bytes);
  // The bytes in the file.
  std::uint64_t Size() const { return size_; }
  // Keeps the first `size` bytes (no more than there are); writing goes on after them.
  bool TruncateTo(std::uint64_t size);
  bool StartOver() { return TruncateTo(0); }
  // Closes the file and puts it at the target path, replacing a file there. On false
  // the partial file is gone and the target is as it was.
  bool Commit();
  const std::string& Path() const { return path_; }

 private:
  void Discard();

  std::string target_;
  std::string path_;
  BusyRetry busy_;
  PlatformFile file_;
  std::uint64_t size_ = 0;
  long error_ = 0;
  bool owned_ = false;  // the file at path_ was opened here and is not the target yet
};

// Deletes a file; a missing file and every other error are ignored, a busy one is
// waited for as busy says.
void DeleteFileQuietly(const std::string& path, const BusyRetry& busy = {});

}  // namespace kelvano
