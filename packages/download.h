#pragma once
// DownloadFile: one URL into one local file, with the byte counter on the progress page
// and the window kept alive meanwhile. A failed transfer never leaves a file behind and
// reaches the caller as the one download error, whose description is the text to show.

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "packages/transfer_seam.h"
#include "system/run_state.h"

namespace kelvano {

inline constexpr std::int32_t kDownloadFailedError = static_cast<std::int32_t>(0x80040001u);
inline constexpr char kDownloadErrorSource[] = "download";

struct DownloadLimits {
  // A transfer that receives nothing for this long is abandoned as failed.
  std::chrono::milliseconds idleLimit = std::chrono::seconds(60);
  // The longest the window goes without processing its events while the transfer waits.
  std::chrono::milliseconds pumpInterval = std::chrono::milliseconds(50);
};

class Downloader {
 public:
  using Clock = std::function<std::chrono::steady_clock::time_point()>;

  Downloader(RunState& runState, TransferSeam& transfers, DownloadLimits limits = {},
             Clock clock = std::chrono::steady_clock::now)
      : runState_(runState), transfers_(transfers), limits_(limits), clock_(std::move(clock)) {}

  // Returns when the whole file is at targetPath, a file there before replaced. Else
  // raises SetupError(kDownloadFailedError, "download", message 128 naming url) and no
  // file is left at targetPath. A success needs a 2xx answer, when the server announced
  // a length exactly that many bytes, and when a SHA-256 is expected (64 hex digits,
  // any case) bytes of that hash. Shows nothing but the progress line.
  void DownloadFile(const std::string& url, const std::string& targetPath,
                    const std::optional<std::string>& expectedSha256 = std::nullopt);

  // What the last transfer ended with: the server's status (0 for none), the bytes
  // received and the error it broke with (0 for none), for the log.
  int LastStatus() const { return lastStatus_; }
  std::uint64_t LastBytes() const { return lastBytes_; }
  long LastError() const { return lastError_; }

 private:
  bool Transfer(const std::string& url, const std::string& targetPath, const std::optional<std::string>& expectedSha256);
  void ShowProgress(std::uint64_t received, std::uint64_t total);

  RunState& runState_;
  TransferSeam& transfers_;
  DownloadLimits limits_;
  Clock clock_;
  int lastStatus_ = 0;
  std::uint64_t lastBytes_ = 0;
  long lastError_ = 0;
};

}  // namespace kelvano
