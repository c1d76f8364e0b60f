#include <windows.h>

#include "packages/partial_file.h"
#include "system/win32/platform_file_handle.h"
#include "system/win32/wide_text.h"
#include "system/write_all.h"

namespace kelvano {

PartialFile::PartialFile(std::string targetPath, BusyRetry busy)
    : target_(std::move(targetPath)), path_(PartialPathOf(target_)), busy_(std::move(busy)) {
  const std::wstring path = Widen(path_);
  PlatformFile file;
  error_ = RetryWhileBusy("opening " + path_, busy_, [&] {
    // Readable meanwhile: bytes taken over from an earlier run are hashed again.
    file.Reset(AsPlatformFile(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                          OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)));
    return file ? 0L : static_cast<long>(GetLastError());
  });
  LARGE_INTEGER size{}, end{};
  if (!file || !GetFileSizeEx(AsHandle(file.Get()), &size) ||
      !SetFilePointerEx(AsHandle(file.Get()), end, nullptr, FILE_END)) {
    if (file) error_ = static_cast<long>(GetLastError());
    return;
  }
  size_ = static_cast<std::uint64_t>(size.QuadPart);
  file_ = std::move(file);
  owned_ = true;
}

PartialFile::~PartialFile() { Discard(); }

bool PartialFile::IsOpen() const { return static_cast<bool>(file_); }

bool PartialFile::Write(std::string_view bytes) {
  if (!IsOpen()) return false;
  if (!WriteAll(file_.Get(), bytes.data(), bytes.size())) {
    error_ = static_cast<long>(GetLastError());
    return false;
  }
  size_ += bytes.size();
  return true;
}

bool PartialFile::TruncateTo(std::uint64_t size) {
  if (!IsOpen()) return false;
  if (size > size_) size = size_;
  LARGE_INTEGER at;
  at.QuadPart = static_cast<LONGLONG>(size);
  if (!SetFilePointerEx(AsHandle(file_.Get()), at, nullptr, FILE_BEGIN) || !SetEndOfFile(AsHandle(file_.Get()))) {
    error_ = static_cast<long>(GetLastError());
    return false;
  }
  size_ = size;
  return true;
}

bool PartialFile::Commit() {
  if (!IsOpen()) return false;
  file_.Reset();
  error_ = RetryWhileBusy("putting " + path_ + " in place", busy_, [&] {
    return MoveFileExW(Widen(path_).c_str(), Widen(target_).c_str(), MOVEFILE_REPLACE_EXISTING)
               ? 0L
               : static_cast<long>(GetLastError());
  });
  if (error_ != 0) {
    Discard();
    return false;
  }
  owned_ = false;  // it is the target now
  return true;
}

void PartialFile::Discard() {
  file_.Reset();
  if (owned_) DeleteFileQuietly(path_, busy_);
  owned_ = false;
}

void DeleteFileQuietly(const std::string& path, const BusyRetry& busy) {
  const std::wstring wide = Widen(path);
  RetryWhileBusy("deleting " + path, busy,
                 [&] { return DeleteFileW(wide.c_str()) ? 0L : static_cast<long>(GetLastError()); });
}

}  // namespace kelvano
