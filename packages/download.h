#pragma once
// DownloadFile: one URL into one local file, with the byte counter on the progress page
// and the window kept alive meanwhile. A transfer that breaks is tried again on its own
// as often as the limits say, each try resuming where the last one broke when the server
// allows (HTTP ranges, checked by the file's ETag or Last-Modified). A download that
// fails never leaves a file at its target and reaches the caller as the one download
// error, whose description is the text to show; what a resumable one had received is
// kept for the next call for the same file (Retry in the box that follows resumes too).
// The bytes on their way lie at the target's fixed partial place, with a note beside
// them (address, validator, bytes), so that a run that is killed leaves them for the
// next run to take over; a run that ends deletes them. Before it writes, a download
// whose length the server gave checks the room on the target's volume.

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "packages/busy_files.h"
#include "packages/disk_space.h"
#include "packages/transfer_seam.h"
#include "system/run_state.h"
#include "system/setup_log.h"

namespace kelvano {

inline constexpr std::int32_t kDownloadFailedError = static_cast<std::int32_t>(0x80040001u);
inline constexpr char kDownloadErrorSource[] = "download";

struct DownloadLimits {
  // A transfer that receives nothing for this long is abandoned as broken.
  std::chrono::milliseconds idleLimit = std::chrono::seconds(60);
  // The longest the window goes without processing its events while the transfer waits.
  std::chrono::milliseconds pumpInterval = std::chrono::milliseconds(50);
  // The waits before the tries that follow a broken transfer, one per try (none: the
  // first try is the only one). Answers 4xx and a file of another hash are not tried
  // again: the next try would get them too.
  std::vector<std::chrono::milliseconds> retryWaits = {};
};

class Downloader {
 public:
  using Clock = std::function<std::chrono::steady_clock::time_point()>;
  // Waits this long, without the window (the downloader pumps it between waits).
  using Sleep = std::function<void(std::chrono::milliseconds)>;

  Downloader(RunState& runState, TransferSeam& transfers, DownloadLimits limits = {},
             Clock clock = std::chrono::steady_clock::now, Sleep sleep = {}, SetupLog* log = nullptr);
  ~Downloader();
  Downloader(const Downloader&) = delete;
  Downloader& operator=(const Downloader&) = delete;

  // How the room on a target's volume is found (none: it is not checked), and how busy
  // files are waited for.
  void SetFreeSpaceQuery(FreeSpaceQuery query) { freeSpace_ = std::move(query); }
  void SetBusyRetry(BusyRetry busy) { busy_ = std::move(busy); }

  // Returns when the whole file is at targetPath, a file there before replaced. Else
  // raises SetupError(kDownloadFailedError, "download", message 128 naming url, with the
  // system's words for a write that failed; or message 142 when the room is short) and
  // no file is left at targetPath. A success needs a 2xx answer, when the server announced
  // a length exactly that many bytes, and when a SHA-256 is expected (64 hex digits,
  // any case) bytes of that hash. Shows nothing but the progress line; logs every try.
  void DownloadFile(const std::string& url, const std::string& targetPath,
                    const std::optional<std::string>& expectedSha256 = std::nullopt);

  // What the last download ended with: the server's status (0 for none), the bytes of
  // the file it had and the error its transfer broke with (0 for none), for the log.
  int LastStatus() const { return lastStatus_; }
  std::uint64_t LastBytes() const { return lastBytes_; }
  long LastError() const { return lastError_; }

 private:
  struct Kept;
  enum class Outcome { Complete, Broken, Refused, NoRoom };
  enum class Answer { Whole, Rest, StartOver, Broken, Refused };

  Outcome Try(Kept& kept, std::size_t number);
  Answer Judge(const TransferStep& answer, const TransferRange& asked, Kept& kept);
  // The bytes an earlier run left at the partial place: taken over when they belong to
  // this address and their validator is known, else removed.
  void TakeOverOrRemove(Kept& kept);
  bool HasRoom(Kept& kept);
  void Wait(std::chrono::milliseconds duration);
  void ShowProgress(std::uint64_t received, std::uint64_t total);
  void Log(const std::string& event);

  RunState& runState_;
  TransferSeam& transfers_;
  DownloadLimits limits_;
  Clock clock_;
  Sleep sleep_;
  SetupLog* log_;
  std::unique_ptr<Kept> kept_;  // what a resumable download that broke had received
  FreeSpaceQuery freeSpace_;
  BusyRetry busy_;
  std::optional<SpaceShortage> shortage_;  // why the last download stopped, when for room
  long writeError_ = 0;                    // the system's error of a write that failed
  int lastStatus_ = 0;
  std::uint64_t lastBytes_ = 0;
  long lastError_ = 0;
};

}  // namespace kelvano
