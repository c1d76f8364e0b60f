#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <ctime>

#include "unzip/posix/posix_views.h"
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

// While an archive is open, outputs place their small views in its arena; the last
// of them are unmapped when it closes.
class PosixArchive : public ArchiveFile {
 public:
  PosixArchive(int fd, std::uint64_t size, std::weak_ptr<ViewArena>& outputArena)
      : fd_(fd), size_(size), outputArena_(outputArena) {
    outputArena_ = arena_;
  }
  ~PosixArchive() override {
    if (outputArena_.lock() == arena_) outputArena_.reset();
  }
  std::uint64_t Size() const override { return size_; }
  std::unique_ptr<MappedView> Map(std::uint64_t offset, std::size_t length) override {
    return MapRange(fd_.Get(), offset, length, PROT_READ);
  }

 private:
  FileDescriptor fd_;
  std::uint64_t size_;
  std::shared_ptr<ViewArena> arena_ = std::make_shared<ViewArena>();
  std::weak_ptr<ViewArena>& outputArena_;
};

// Local date-times to system times. Each conversion rereads the time zone, so the
// last two (an extraction's access time, and its members' mostly shared dates) are
// remembered.
class LocalTimes {
 public:
  timespec ToTimespec(const DateTime& local) {
    for (const Slot& slot : slots_) {
      if (slot.used && slot.local == local) return slot.system;
    }
    Slot& slot = slots_[next_];
    next_ = 1 - next_;
    slot = Slot{true, local, Convert(local)};
    return slot.system;
  }

 private:
  struct Slot {
    bool used = false;
    DateTime local;
    timespec system{};
  };
  static timespec Convert(const DateTime& local);

  Slot slots_[2];
  int next_ = 0;
};

timespec LocalTimes::Convert(const DateTime& local) {
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
  PosixOutput(int fd, std::string path, LocalTimes& times, std::shared_ptr<ViewArena> arena)
      : fd_(fd), path_(std::move(path)), times_(times), arena_(std::move(arena)) {}
  ~PosixOutput() override {
    if (!kept_) unlink(path_.c_str());
  }
  // A fresh output would take a page fault per page, which costs more than decoding
  // into it: the pages are faulted in at once. That also finds a full disk here, as an
  // error, instead of as a fault while writing.
  std::unique_ptr<MappedView> Map(std::uint64_t offset, std::size_t length) override {
    std::unique_ptr<PosixView> view = MapRange(fd_.Get(), offset, length, PROT_READ | PROT_WRITE, arena_);
    if (!view) return nullptr;
    const int populated = view->PopulateWritable();
    if (populated == EINVAL) {
      // Without it the blocks are reserved instead, and the pages fault one by one.
      if (fallocate(fd_.Get(), 0, static_cast<off_t>(offset), static_cast<off_t>(length)) != 0 &&
          errno != EOPNOTSUPP) {
        return nullptr;
      }
    } else if (populated != 0) {
      return nullptr;
    }
    return view;
  }
  // A creation time cannot be set here; access and modification times can.
  bool SetTimes(const DateTime&, const DateTime& accessed, const DateTime& written) override {
    const timespec times[2] = {times_.ToTimespec(accessed), times_.ToTimespec(written)};
    return futimens(fd_.Get(), times) == 0;
  }
  void Keep() override { kept_ = true; }

 private:
  FileDescriptor fd_;
  std::string path_;
  LocalTimes& times_;
  std::shared_ptr<ViewArena> arena_;
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
    return std::make_unique<PosixArchive>(fd, static_cast<std::uint64_t>(info.st_size), outputArena_);
  }

  std::unique_ptr<OutputFile> CreateOutput(const std::string& path, std::uint64_t size) override {
    if (size > static_cast<std::uint64_t>(INT64_MAX)) return nullptr;
    const std::string native = NativePath(path);
    // A link in the output's place is replaced, never followed.
    const int fd = open(native.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (fd < 0) return nullptr;
    auto output = std::make_unique<PosixOutput>(fd, native, times_, outputArena_.lock());
    if (ftruncate(fd, static_cast<off_t>(size)) != 0) return nullptr;  // deletes the file
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
  LocalTimes times_;
  std::weak_ptr<ViewArena> outputArena_;  // the open archive's
};

}  // namespace

std::unique_ptr<ZipFileSystem> MakeSystemZipFileSystem() { return std::make_unique<PosixZipFileSystem>(); }

}  // namespace kelvano
