#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "packages/readable_file.h"
#include "system/native_path.h"

namespace kelvano {
namespace {

class PosixReadableFile : public ReadableFile {
 public:
  PosixReadableFile(int fd, std::uint64_t size) : fd_(fd), size_(size) {}
  ~PosixReadableFile() override { close(fd_); }
  std::uint64_t Size() const override { return size_; }
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
  return std::make_unique<PosixReadableFile>(fd, static_cast<std::uint64_t>(info.st_size));
}

}  // namespace kelvano
