#include <fcntl.h>
#include <sys/time.h>
#include <time.h>

#include "system/native_path.h"
#include "system/platform_file.h"
#include "system/setup_log.h"
#include "system/write_all.h"

namespace kelvano {
namespace {

class PosixLogFile : public LogFile {
 public:
  explicit PosixLogFile(PlatformFile file) : file_(std::move(file)) {}
  bool Append(std::string_view bytes) override { return WriteAll(file_.Get(), bytes.data(), bytes.size()); }

 private:
  PlatformFile file_;
};

}  // namespace

std::unique_ptr<LogFile> OpenLogFile(const std::string& path) {
  PlatformFile file(open(NativePath(path).c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644));
  if (!file) return nullptr;
  return std::make_unique<PosixLogFile>(std::move(file));
}

std::string LogTimestamp() {
  timeval now;
  gettimeofday(&now, nullptr);
  tm local;
  localtime_r(&now.tv_sec, &local);
  return FormatLogTimestamp(
      {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec},
      static_cast<int>(now.tv_usec / 1000));
}

}  // namespace kelvano
