#include <windows.h>

#include <string>

#include "packages/readable_file.h"
#include "system/win32/unique_handle.h"
#include "system/win32/wide_text.h"

namespace kelvano {
namespace {

class Win32ReadableFile : public ReadableFile {
 public:
  Win32ReadableFile(unique_hfile file, std::uint64_t size) : file_(std::move(file)), size_(size) {}
  std::uint64_t Size() const override { return size_; }
  std::string Validator() const override {
    FILETIME written = {};
    GetFileTime(file_.Get(), nullptr, nullptr, &written);
    const std::uint64_t time = (static_cast<std::uint64_t>(written.dwHighDateTime) << 32) | written.dwLowDateTime;
    return std::to_string(size_) + "-" + std::to_string(time);
  }
  long Read(char* buffer, std::size_t size, std::size_t& read) override {
    DWORD got = 0;
    if (!ReadFile(file_.Get(), buffer, static_cast<DWORD>(size), &got, nullptr))
      return static_cast<long>(GetLastError());
    read = got;
    return 0;
  }
  long SkipTo(std::uint64_t offset) override {
    LARGE_INTEGER to;
    to.QuadPart = static_cast<LONGLONG>(offset);
    return SetFilePointerEx(file_.Get(), to, nullptr, FILE_BEGIN) ? 0 : static_cast<long>(GetLastError());
  }

 private:
  unique_hfile file_;
  std::uint64_t size_;
};

}  // namespace

std::unique_ptr<ReadableFile> ReadableFile::Open(const std::string& path, long& error) {
  // Others may go on reading and writing the kit meanwhile; a folder does not open.
  unique_hfile file(CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  LARGE_INTEGER size;
  if (!file || !GetFileSizeEx(file.Get(), &size)) {
    error = static_cast<long>(GetLastError());
    return nullptr;
  }
  return std::make_unique<Win32ReadableFile>(std::move(file), static_cast<std::uint64_t>(size.QuadPart));
}

}  // namespace kelvano
