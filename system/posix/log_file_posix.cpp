#include <fcntl.h>
#include <sys/time.h>
#include <time.h>
#include <unistd.h>

#include "system/native_path.h"
#include "system/setup_log.h"
#include "system/write_all.h"

namespace kelvano {
namespace {

class PosixLogFile : public LogFile {
 public:
  explicit PosixLogFile(int fd) : fd_(fd) {}
  ~PosixLogFile() override { close(fd_); }
  bool Append(std::string_view bytes) override { return WriteAll(fd_, bytes.data(), bytes.size()); }

 private:
  int fd_;
};

}  // namespace

std::unique_ptr<LogFile> OpenLogFile(const std::string& path) {
  const int fd = open(NativePath(path).c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (fd < 0) return nullptr;
  return std::make_unique<PosixLogFile>(fd);
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
