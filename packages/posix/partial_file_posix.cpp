#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <vector>

#include "packages/partial_file.h"
#include "system/native_path.h"
#include "system/write_all.h"

namespace kelvano {

PartialFile::PartialFile(std::string targetPath) : target_(NativePath(std::move(targetPath))) {
  const std::size_t slash = target_.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : target_.substr(0, slash == 0 ? 1 : slash);
  std::string pattern = folder + "/.download-XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  const int fd = mkstemp(name.data());
  if (fd < 0) return;
  handle_ = fd;
  temporary_ = name.data();
}

PartialFile::~PartialFile() { Discard(); }

bool PartialFile::Write(std::string_view bytes) {
  if (!IsOpen() || !WriteAll(static_cast<int>(handle_), bytes.data(), bytes.size())) return false;
  size_ += bytes.size();
  return true;
}

bool PartialFile::StartOver() {
  if (!IsOpen()) return false;
  const int fd = static_cast<int>(handle_);
  if (ftruncate(fd, 0) != 0 || lseek(fd, 0, SEEK_SET) != 0) return false;
  size_ = 0;
  return true;
}

bool PartialFile::Commit() {
  if (!IsOpen()) return false;
  const bool closed = close(static_cast<int>(handle_)) == 0;
  handle_ = kNoHandle;
  if (closed && std::rename(temporary_.c_str(), target_.c_str()) == 0) {
    temporary_.clear();
    return true;
  }
  Discard();
  return false;
}

void PartialFile::Discard() {
  if (IsOpen()) close(static_cast<int>(handle_));
  handle_ = kNoHandle;
  if (!temporary_.empty()) unlink(temporary_.c_str());
  temporary_.clear();
}

void DeleteFileQuietly(const std::string& path) { unlink(NativePath(path).c_str()); }

}  // namespace kelvano
