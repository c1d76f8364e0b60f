#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <ctime>

#include "system/native_path.h"
#include "system/platform_file.h"
#include "system/write_all.h"
#include "unzip/zip_file_system.h"

namespace kelvano {
namespace {

class PosixView : public MappedView {
 public:
  PosixView(void* base, std::size_t mappedLength, std::size_t lead, std::size_t size)
      : base_(base), mappedLength_(mappedLength), lead_(lead), size_(size) {}
  ~PosixView() override { munmap(base_, mappedLength_); }
  PosixView(const PosixView&) = delete;
  PosixView& operator=(const PosixView&) = delete;
  std::uint8_t* Data() override { return static_cast<std::uint8_t*>(base_) + lead_; }
  std::size_t Size() const override { return size_; }

 private:
  void* base_;
  std::size_t mappedLength_;
  std::size_t lead_;
  std::size_t size_;
};

class PosixArchive : public ArchiveFile {
 public:
  PosixArchive(PlatformFile fd, std::uint64_t size) : fd_(std::move(fd)), size_(size) {}
  std::uint64_t Size() const override { return size_; }
  // Views start on page boundaries.
  std::unique_ptr<MappedView> Map(std::uint64_t offset, std::size_t length) override {
    static const auto page = static_cast<std::uint64_t>(sysconf(_SC_PAGESIZE));
    const std::uint64_t start = offset - offset % page;
    const auto lead = static_cast<std::size_t>(offset - start);
    if (length == 0 || length > SIZE_MAX - lead || start > static_cast<std::uint64_t>(INT64_MAX)) return nullptr;
    void* base =
        mmap(nullptr, lead + length, PROT_READ, MAP_SHARED, static_cast<int>(fd_.Get()), static_cast<off_t>(start));
    if (base == MAP_FAILED) return nullptr;
    return std::make_unique<PosixView>(base, lead + length, lead, length);
  }

 private:
  PlatformFile fd_;
  std::uint64_t size_;
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

// Written in order with write(): the system copies into the file's pages, which the
// process never touches.
class PosixOutput : public OutputFile {
 public:
  PosixOutput(PlatformFile fd, std::string path, LocalTimes& times)
      : fd_(std::move(fd)), path_(std::move(path)), times_(times) {}
  ~PosixOutput() override {
    if (!kept_) unlink(path_.c_str());
  }
  bool Appends() const override { return true; }
  std::unique_ptr<MappedView> Map(std::uint64_t, std::size_t) override { return nullptr; }
  bool Append(const std::uint8_t* data, std::size_t size) override {
    if (WriteAll(fd_.Get(), data, size)) return true;
    writeError_ = errno;
    return false;
  }
  long WriteError() const override { return writeError_; }
  // A creation time cannot be set here; access and modification times can.
  bool SetTimes(const DateTime&, const DateTime& accessed, const DateTime& written) override {
    const timespec times[2] = {times_.ToTimespec(accessed), times_.ToTimespec(written)};
    return futimens(static_cast<int>(fd_.Get()), times) == 0;
  }
  void Keep() override { kept_ = true; }

 private:
  PlatformFile fd_;
  std::string path_;
  LocalTimes& times_;
  bool kept_ = false;
  long writeError_ = 0;
};

// Takes the output's space at once, so that a full disk is found here, as an error,
// and the file has its final length. Systems that cannot do it grow the file as it is
// written instead.
bool Reserve(int fd, std::uint64_t size) {
  return size == 0 || fallocate(fd, 0, 0, static_cast<off_t>(size)) == 0 || errno == EOPNOTSUPP;
}

class PosixZipFileSystem : public ZipFileSystem {
 public:
  std::unique_ptr<ArchiveFile> OpenArchive(const std::string& path) override {
    PlatformFile fd(open(NativePath(path).c_str(), O_RDONLY | O_CLOEXEC));
    struct stat info;
    if (!fd || fstat(static_cast<int>(fd.Get()), &info) != 0 || !S_ISREG(info.st_mode)) return nullptr;
    return std::make_unique<PosixArchive>(std::move(fd), static_cast<std::uint64_t>(info.st_size));
  }

  std::unique_ptr<OutputFile> CreateOutput(const std::string& path, std::uint64_t size) override {
    if (size > static_cast<std::uint64_t>(INT64_MAX)) return nullptr;
    const std::string native = NativePath(path);
    // A link in the output's place is replaced, never followed.
    const int fd = open(native.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (fd < 0) {
      createError_ = errno;
      return nullptr;
    }
    auto output = std::make_unique<PosixOutput>(PlatformFile(fd), native, times_);
    if (!Reserve(fd, size)) {
      createError_ = errno;
      return nullptr;  // deletes the file
    }
    return output;
  }
  long CreateError() const override { return createError_; }

  std::optional<std::uint64_t> FreeSpace(const std::string& folder) override {
    std::string path = NativePath(folder);
    for (;;) {
      struct statvfs volume;
      if (statvfs(path.c_str(), &volume) == 0) return std::uint64_t{volume.f_bavail} * volume.f_frsize;
      const std::size_t slash = path.rfind('/');
      if (slash == std::string::npos || slash == 0) return std::nullopt;
      path.resize(slash);
    }
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
  long createError_ = 0;
};

}  // namespace

std::unique_ptr<ZipFileSystem> MakeSystemZipFileSystem() { return std::make_unique<PosixZipFileSystem>(); }

}  // namespace kelvano
