#include <windows.h>

#include "system/setup_log.h"
#include "system/text_encoding.h"
#include "system/write_all.h"

namespace kelvano {
namespace {

class Win32LogFile : public LogFile {
 public:
  explicit Win32LogFile(HANDLE file) : file_(file) {}
  ~Win32LogFile() override { CloseHandle(file_); }
  bool Append(std::string_view bytes) override { return WriteAll(file_, bytes.data(), bytes.size()); }

 private:
  HANDLE file_;
};

}  // namespace

std::unique_ptr<LogFile> OpenLogFile(const std::string& path) {
  // Others may read the log while the setup writes it.
  const HANDLE file = CreateFileW(Widen(path).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return nullptr;
  return std::make_unique<Win32LogFile>(file);
}

std::string LogTimestamp() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return FormatLogTimestamp({now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond}, now.wMilliseconds);
}

}  // namespace kelvano
