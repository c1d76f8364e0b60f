#include <windows.h>

#include <cstdint>

#include "system/win32/platform_file_handle.h"
#include "system/win32/unique_handle.h"
#include "system/win32/system_time.h"
#include "system/win32/wide_text.h"
#include "system/write_all.h"
#include "unzip/win32/zip_file_system_win32.h"

namespace kelvano {
namespace {

class Win32View : public MappedView {
 public:
  Win32View(void* base, std::size_t lead, std::size_t size) : base_(base), lead_(lead), size_(size) {}
  std::uint8_t* Data() override { return static_cast<std::uint8_t*>(base_.Get()) + lead_; }
  std::size_t Size() const override { return size_; }

 private:
  unique_mapped_view base_;
  std::size_t lead_;
  std::size_t size_;
};

// Maps [offset, offset + length); views start on the allocation granularity (64 KiB).
std::unique_ptr<MappedView> MapRange(HANDLE mapping, DWORD access, std::uint64_t offset, std::size_t length) {
  static const std::uint64_t granularity = [] {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    return static_cast<std::uint64_t>(info.dwAllocationGranularity);
  }();
  if (mapping == nullptr || length == 0) return nullptr;
  const std::uint64_t start = offset - offset % granularity;
  const auto lead = static_cast<std::size_t>(offset - start);
  if (length > SIZE_MAX - lead) return nullptr;
  void* base =
      MapViewOfFile(mapping, access, static_cast<DWORD>(start >> 32), static_cast<DWORD>(start), lead + length);
  if (base == nullptr) return nullptr;
  return std::make_unique<Win32View>(base, lead, length);
}

class Win32Archive : public ArchiveFile {
 public:
  Win32Archive(unique_hfile file, unique_handle mapping, std::uint64_t size)
      : file_(std::move(file)), mapping_(std::move(mapping)), size_(size) {}
  std::uint64_t Size() const override { return size_; }
  std::unique_ptr<MappedView> Map(std::uint64_t offset, std::size_t length) override {
    return MapRange(mapping_.Get(), FILE_MAP_READ, offset, length);
  }

 private:
  unique_hfile file_;
  unique_handle mapping_;  // none for an empty file, which has nothing to map
  std::uint64_t size_;
};

bool ToFileTime(const DateTime& local, FILETIME& utc) {
  const SYSTEMTIME fields = ToSystemTime(local);
  FILETIME localTime;
  return SystemTimeToFileTime(&fields, &localTime) && LocalFileTimeToFileTime(&localTime, &utc);
}

// Written through views of a mapping, or, when large, in order with WriteFile: a
// 32-bit process cannot count on a free range of address space for a view of a whole
// large output beside the view of its compressed data.
class Win32Output : public OutputFile {
 public:
  Win32Output(unique_hfile file, std::wstring path, bool appends)
      : file_(std::move(file)), path_(std::move(path)), appends_(appends) {}
  ~Win32Output() override {
    mapping_.Reset();
    file_.Reset();
    if (!kept_) DeleteFileW(path_.c_str());
  }
  // Gives the file its final length (the mapping object does that too), so that a full
  // disk is found here.
  bool Reserve(std::uint64_t size) {
    if (size == 0) return true;  // an empty file has nothing to map
    if (appends_) {
      LARGE_INTEGER end, start{};
      end.QuadPart = static_cast<LONGLONG>(size);
      return size <= static_cast<std::uint64_t>(INT64_MAX) && SetFilePointerEx(file_.Get(), end, nullptr, FILE_BEGIN) &&
             SetEndOfFile(file_.Get()) && SetFilePointerEx(file_.Get(), start, nullptr, FILE_BEGIN);
    }
    mapping_.Reset(CreateFileMappingW(file_.Get(), nullptr, PAGE_READWRITE, static_cast<DWORD>(size >> 32),
                                      static_cast<DWORD>(size), nullptr));
    return static_cast<bool>(mapping_);
  }
  bool Appends() const override { return appends_; }
  std::unique_ptr<MappedView> Map(std::uint64_t offset, std::size_t length) override {
    return MapRange(mapping_.Get(), FILE_MAP_WRITE, offset, length);
  }
  bool Append(const std::uint8_t* data, std::size_t size) override {
    if (WriteAll(AsPlatformFile(file_.Get()), data, size)) return true;
    writeError_ = static_cast<long>(GetLastError());
    return false;
  }
  long WriteError() const override { return writeError_; }
  bool SetTimes(const DateTime& created, const DateTime& accessed, const DateTime& written) override {
    FILETIME creation, access, write;
    return ToFileTime(created, creation) && ToFileTime(accessed, access) && ToFileTime(written, write) &&
           SetFileTime(file_.Get(), &creation, &access, &write);
  }
  void Keep() override { kept_ = true; }

 private:
  unique_hfile file_;
  unique_handle mapping_;  // none when appended
  std::wstring path_;
  const bool appends_;
  bool kept_ = false;
  long writeError_ = 0;
};

class Win32ZipFileSystem : public ZipFileSystem {
 public:
  explicit Win32ZipFileSystem(std::uint64_t appendedFromSize) : appendedFromSize_(appendedFromSize) {}

  std::unique_ptr<ArchiveFile> OpenArchive(const std::string& path) override {
    // Read access is all it takes: a read-only archive opens too.
    unique_hfile file(CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size;
    if (!file || !GetFileSizeEx(file.Get(), &size)) return nullptr;
    unique_handle mapping;
    if (size.QuadPart > 0) {
      mapping.Reset(CreateFileMappingW(file.Get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
      if (!mapping) return nullptr;
    }
    return std::make_unique<Win32Archive>(std::move(file), std::move(mapping),
                                          static_cast<std::uint64_t>(size.QuadPart));
  }

  std::unique_ptr<OutputFile> CreateOutput(const std::string& path, std::uint64_t size) override {
    const std::wstring wide = Widen(path);
    unique_hfile file(CreateFileW(wide.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
      createError_ = static_cast<long>(GetLastError());
      return nullptr;
    }
    auto output = std::make_unique<Win32Output>(std::move(file), wide, size >= appendedFromSize_);
    if (!output->Reserve(size)) {
      createError_ = static_cast<long>(GetLastError());
      return nullptr;  // deletes the file
    }
    return output;
  }
  long CreateError() const override { return createError_; }

  std::optional<std::uint64_t> FreeSpace(const std::string& folder) override {
    // The nearest folder that exists: the extraction folder is made later.
    std::wstring path = Widen(folder);
    for (;;) {
      ULARGE_INTEGER available;
      if (GetDiskFreeSpaceExW(path.c_str(), &available, nullptr, nullptr)) return available.QuadPart;
      const std::size_t slash = path.find_last_of(L'\\');
      if (slash == std::wstring::npos || slash == 0) return std::nullopt;
      path.resize(slash);
    }
  }

  bool FolderExists(const std::string& path) override {
    const DWORD attributes = GetFileAttributesW(Widen(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  }

  bool CreateFolder(const std::string& path) override { return CreateDirectoryW(Widen(path).c_str(), nullptr); }

  DateTime LocalNow() override {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return FromSystemTime(now);
  }

 private:
  std::uint64_t appendedFromSize_;
  long createError_ = 0;
};

}  // namespace

std::unique_ptr<ZipFileSystem> MakeWin32ZipFileSystem(std::uint64_t appendedFromSize) {
  return std::make_unique<Win32ZipFileSystem>(appendedFromSize);
}

std::unique_ptr<ZipFileSystem> MakeSystemZipFileSystem() { return MakeWin32ZipFileSystem(0); }

}  // namespace kelvano
