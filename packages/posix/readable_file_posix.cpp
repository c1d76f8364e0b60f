#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "packages/readable_file.h"
#include "system/native_path.h"
#include "system/platform_file.h"

namespace kelvano {
namespace {

class PosixReadableFile : public ReadableFile {
 public:
  PosixReadableFile(PlatformFile file, const struct stat& info)
      : file_(std::move(file)), size_(static_cast<std::uint64_t>(info.st_size)), changed_(info.st_mtim) {}
  std::uint64_t Size() const override { return size_; }
  std::string Validator() const override {
    return std::to_string(size_) + "-" + std::to_string(changed_.tv_sec) + "." + std::to_string(changed_.tv_nsec);
  }
  long SkipTo(std::uint64_t offset) override {
    return lseek(static_cast<int>(file_.Get()), static_cast<off_t>(offset), SEEK_SET) < 0 ? errno : 0;
  }
  long Read(char* buffer, std::size_t size, std::size_t& read) override {
    ssize_t got;
    do {
      got = ::read(static_cast<int>(file_.Get()), buffer, size);
    } while (got < 0 && errno == EINTR);
    if (got < 0) return errno;
    read = static_cast<std::size_t>(got);
    return 0;
  }

 private:
  PlatformFile file_;
  std::uint64_t size_;
  struct timespec changed_;
};

}  // namespace

std::unique_ptr<ReadableFile> ReadableFile::Open(const std::string& path, long& error) {
  PlatformFile file(open(NativePath(path).c_str(), O_RDONLY | O_CLOEXEC));
  if (!file) {
    error = errno;
    return nullptr;
  }
  struct stat info;
  if (fstat(static_cast<int>(file.Get()), &info) != 0) {
    error = errno;
    return nullptr;
  }
  if (!S_ISREG(info.st_mode)) {
    error = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
    return nullptr;
  }
  return std::make_unique<PosixReadableFile>(std::move(file), info);
}

}  // namespace kelvano
