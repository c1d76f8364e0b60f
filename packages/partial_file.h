#pragma once
// A file that appears at its path only when it is complete. It is written under a
// temporary name in the target's own folder, so that putting it in place is a rename
// on one volume, and a PartialFile given up without Commit leaves nothing behind.

#include <cstdint>
#include <string>
#include <string_view>

namespace kelvano {

class PartialFile {
 public:
  // Creates the temporary file; IsOpen tells whether that worked.
  explicit PartialFile(std::string targetPath);
  ~PartialFile();
  PartialFile(const PartialFile&) = delete;
  PartialFile& operator=(const PartialFile&) = delete;

  bool IsOpen() const { return handle_ != kNoHandle; }
  // False when the bytes could not all be written (a full disk).
  bool Write(std::string_view bytes);
  // The bytes written so far.
  std::uint64_t Size() const { return size_; }
  // Empties the file, to be written again from its first byte; false when that fails.
  bool StartOver();
  // Closes the file and puts it at the target path, replacing a file there. On false
  // the temporary file is gone and the target is as it was.
  bool Commit();

 private:
  static constexpr std::intptr_t kNoHandle = -1;
  void Discard();

  std::string target_;
  std::string temporary_;
  std::intptr_t handle_ = kNoHandle;
  std::uint64_t size_ = 0;
};

// Deletes a file; a missing file and every other error are ignored.
void DeleteFileQuietly(const std::string& path);

}  // namespace kelvano
