#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "packages/readable_file.h"
#include "system/native_path.h"

namespace kelvano {
namespace {

class PosixReadableFile : public ReadableFile {
 public:
  PosixReadableFile(int fd, const struct stat& info)
      : fd_(fd), size_(static_cast<std::uint64_t>(info.st_size)), changed_(info.st_mtim) {}
  ~PosixReadableFile() override { close(fd_); }
  std::uint64_t Size() const override { return size_; }
  std::string Validator() const override {
    return std::to_string(size_) + "-" + std::to_string(changed_.tv_sec) + "." + std::to_string(changed_.tv_nsec);
  }
  long SkipTo(std::uint64_t offset) override {
    return lseek(fd_, static_cast<off_t>(offset), SEEK_SET) < 0 ? errno : 0;
  }
  long Read(char* buffer, std::size_t size, std::size_t& read) override {
    ssize_t got;
    do {
      got = ::read(fd_, buffer, size);
    } while (got < 0 && errno == EINTR);
    if (got < 0) return errno;
    read = static_cast<std::size_t>(got);
    return 0;
  }

 private:
  int fd_;
  std::uint64_t size_;
  struct timespec changed_;
};

}  // namespace

std::unique_ptr<ReadableFile> ReadableFile::Open(const std::string& path, long& error) {
  const int fd = open(NativePath(path).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    error = errno;
    return nullptr;
  }
  struct stat info;
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    error = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
    close(fd);
    return nullptr;
  }
  return std::make_unique<PosixReadableFile>(fd, info);
}

}  // namespace kelvano
