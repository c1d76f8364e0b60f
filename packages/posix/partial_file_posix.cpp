#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "packages/partial_file.h"
#include "system/native_path.h"
#include "system/write_all.h"

namespace kelvano {

// No program holds a file against another here: busy files are a Windows matter.
PartialFile::PartialFile(std::string targetPath, BusyRetry busy)
    : target_(std::move(targetPath)), path_(PartialPathOf(target_)), busy_(std::move(busy)) {
  PlatformFile file(open(NativePath(path_).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666));
  const off_t end = file ? lseek(static_cast<int>(file.Get()), 0, SEEK_END) : -1;
  if (end < 0) {
    error_ = errno;
    return;
  }
  size_ = static_cast<std::uint64_t>(end);
  file_ = std::move(file);
  owned_ = true;
}

PartialFile::~PartialFile() { Discard(); }

bool PartialFile::IsOpen() const { return static_cast<bool>(file_); }

bool PartialFile::Write(std::string_view bytes) {
  if (!IsOpen()) return false;
  if (!WriteAll(file_.Get(), bytes.data(), bytes.size())) {
    error_ = errno;
    return false;
  }
  size_ += bytes.size();
  return true;
}

bool PartialFile::TruncateTo(std::uint64_t size) {
  if (!IsOpen()) return false;
  if (size > size_) size = size_;
  const int fd = static_cast<int>(file_.Get());
  if (ftruncate(fd, static_cast<off_t>(size)) != 0 || lseek(fd, static_cast<off_t>(size), SEEK_SET) < 0) {
    error_ = errno;
    return false;
  }
  size_ = size;
  return true;
}

bool PartialFile::Commit() {
  if (!IsOpen()) return false;
  file_.Reset();
  if (std::rename(NativePath(path_).c_str(), NativePath(target_).c_str()) != 0) {
    error_ = errno;
    Discard();
    return false;
  }
  owned_ = false;  // it is the target now
  return true;
}

void PartialFile::Discard() {
  file_.Reset();
  if (owned_) unlink(NativePath(path_).c_str());
  owned_ = false;
}

void DeleteFileQuietly(const std::string& path, const BusyRetry&) { unlink(NativePath(path).c_str()); }

}  // namespace kelvano
