#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <ctime>

#include "unzip/zip_file_system.h"

namespace kelvano {
namespace {

std::string NativePath(std::string path) {
  std::replace(path.begin(), path.end(), '\\', '/');
  return path;
}

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int Get() const { return fd_; }

 private:
  int fd_;
};

class PosixView : public MappedView {
 public:
  PosixView(void* base, std::size_t mappedLength, std::size_t lead, std::size_t size)
      : base_(base), mappedLength_(mappedLength), lead_(lead), size_(size) {}
  ~PosixView() override { munmap(base_, mappedLength_); }
  std::uint8_t* Data() override { return static_cast<std::uint8_t*>(base_) + lead_; }
  std::size_t Size() const override { return size_; }

 private:
  void* base_;
  std::size_t mappedLength_;
  std::size_t lead_;
  std::size_t size_;
};

// Maps [offset, offset + length) of the file; mappings start on page boundaries.
std::unique_ptr<MappedView> MapRange(int fd, std::uint64_t offset, std::size_t length, int protection, int flags) {
  static const auto kPage = static_cast<std::uint64_t>(sysconf(_SC_PAGESIZE));
  const std::uint64_t start = offset - offset % kPage;
  const auto lead = static_cast<std::size_t>(offset - start);
  if (length == 0 || length > SIZE_MAX - lead || start > static_cast<std::uint64_t>(INT64_MAX)) return nullptr;
  void* base = mmap(nullptr, lead + length, protection, flags, fd, static_cast<off_t>(start));
  if (base == MAP_FAILED) return nullptr;
  return std::make_unique<PosixView>(base, lead + length, lead, length);
}

class PosixArchive : public ArchiveFile {
 public:
  PosixArchive(int fd, std::uint64_t size) : fd_(fd), size_(size) {}
  std::uint64_t Size() const override { return size_; }
  std::unique_ptr<MappedView> Map(std::uint64_t offset, std::size_t length) override {
    return MapRange(fd_.Get(), offset, length, PROT_READ, MAP_SHARED);
  }

 private:
  FileDescriptor fd_;
  std::uint64_t size_;
};

timespec ToTimespec(const DateTime& local) {
  std::tm fields{};
  fields.tm_year = local.year - 1900;
  fields.tm_mon = local.month - 1;
  fields.tm_mday = local.day;
  fields.tm_hour = local.hour;
  fields.tm_min = local.minute;
  fields.tm_sec = local.second;
  fields.tm_isdst = -1;
  return timespec{std::mktime(&fields), 0};
}

class PosixOutput : public OutputFile {
 public:
  PosixOutput(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
  ~PosixOutput() override {
    if (!kept_) unlink(path_.c_str());
  }
  std::unique_ptr<MappedView> Map(std::uint64_t offset, std::size_t length) override {
    // Populated at once: a fresh output would otherwise take a page fault per page,
    // which costs more than decoding into it.
    return MapRange(fd_.Get(), offset, length, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_POPULATE);
  }
  // A creation time cannot be set here; access and modification times can.
  bool SetTimes(const DateTime&, const DateTime& accessed, const DateTime& written) override {
    const timespec times[2] = {ToTimespec(accessed), ToTimespec(written)};
    return futimens(fd_.Get(), times) == 0;
  }
  void Keep() override { kept_ = true; }

 private:
  FileDescriptor fd_;
  std::string path_;
  bool kept_ = false;
};

class PosixZipFileSystem : public ZipFileSystem {
 public:
  std::unique_ptr<ArchiveFile> OpenArchive(const std::string& path) override {
    const int fd = open(NativePath(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
      close(fd);
      return nullptr;
    }
    return std::make_unique<PosixArchive>(fd, static_cast<std::uint64_t>(info.st_size));
  }

  std::unique_ptr<OutputFile> CreateOutput(const std::string& path, std::uint64_t size) override {
    if (size > static_cast<std::uint64_t>(INT64_MAX)) return nullptr;
    const std::string native = NativePath(path);
    // A link in the output's place is replaced, never followed.
    const int fd = open(native.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (fd < 0) return nullptr;
    auto output = std::make_unique<PosixOutput>(fd, native);
    if (size > 0 && !Reserve(fd, static_cast<off_t>(size))) return nullptr;  // deletes the file
    return output;
  }

  bool FolderExists(const std::string& path) override {
    struct stat info;
    return stat(NativePath(path).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
  }

  bool CreateFolder(const std::string& path) override { return mkdir(NativePath(path).c_str(), 0777) == 0; }

  DateTime LocalNow() override {
    const std::time_t now = std::time(nullptr);
    std::tm fields{};
    localtime_r(&now, &fields);
    return DateTime{fields.tm_year + 1900, fields.tm_mon + 1, fields.tm_mday,
                    fields.tm_hour,        fields.tm_min,     fields.tm_sec};
  }

 private:
  // The blocks are reserved now, so that a full disk fails here and not as a fault
  // while writing through the mapping.
  static bool Reserve(int fd, off_t size) {
    if (fallocate(fd, 0, 0, size) == 0) return true;
    if (errno != EOPNOTSUPP && errno != ENOSYS) return false;
    return ftruncate(fd, size) == 0;
  }
};

}  // namespace

std::unique_ptr<ZipFileSystem> MakeSystemZipFileSystem() { return std::make_unique<PosixZipFileSystem>(); }

}  // namespace kelvano
