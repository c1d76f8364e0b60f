#include <windows.h>

#include "system/setup_log.h"
#include "system/win32/platform_file_handle.h"
#include "system/win32/unique_handle.h"
#include "system/win32/wide_text.h"
#include "system/write_all.h"

namespace kelvano {
namespace {

class Win32LogFile : public LogFile {
 public:
  explicit Win32LogFile(unique_hfile file) : file_(std::move(file)) {}
  bool Append(std::string_view bytes) override {
    return WriteAll(AsPlatformFile(file_.Get()), bytes.data(), bytes.size());
  }

 private:
  unique_hfile file_;
};

}  // namespace

std::unique_ptr<LogFile> OpenLogFile(const std::string& path) {
  // Others may read the log while the setup writes it.
  unique_hfile file(CreateFileW(Widen(path).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return nullptr;
  return std::make_unique<Win32LogFile>(std::move(file));
}

std::string LogTimestamp() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return FormatLogTimestamp({now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond}, now.wMilliseconds);
}

}  // namespace kelvano
