#include "packages/download.h"

#include <algorithm>
#include <limits>
#include <optional>

#include "packages/byte_size.h"
#include "packages/http_fields.h"
#include "packages/partial_file.h"
#include "packages/sha256.h"
#include "packages/transfer_errors.h"
#include "startup/format_text.h"
#include "startup/messages.h"
#include "system/event_pump_wait.h"
#include "system/setup_error.h"
#include "system/text_encoding.h"

namespace kelvano {
namespace {

bool IsSuccessStatus(int status) { return status == 0 || (status >= 200 && status <= 299); }

}  // namespace

// What a download has received so far, across its tries: the bytes (in a partial file
// beside the target), their hash, and what names the file they belong to.
struct Downloader::Kept {
  Kept(std::string url, std::string target, std::optional<std::string> sha256)
      : url(std::move(url)), target(std::move(target)), sha256(std::move(sha256)), file(this->target) {}

  // The server named the file, and some of it is here.
  bool Resumable() const { return file.Size() > 0 && !validator.empty(); }
  // Before the first byte of every try that does not resume: the hash starts with it.
  bool StartOver() {
    validator.clear();
    total.reset();
    if (sha256) hash = MakeStreamHasher();
    return file.StartOver();
  }

  const std::string url;
  const std::string target;
  const std::optional<std::string> sha256;
  PartialFile file;
  std::unique_ptr<StreamHasher> hash;
  std::string validator;               // the ETag or Last-Modified of the bytes here
  std::optional<std::uint64_t> total;  // the length of the whole file, when announced
};

Downloader::Downloader(RunState& runState, TransferSeam& transfers, DownloadLimits limits, Clock clock, Sleep sleep,
                       SetupLog* log)
    : runState_(runState),
      transfers_(transfers),
      limits_(std::move(limits)),
      clock_(std::move(clock)),
      sleep_(std::move(sleep)),
      log_(log) {}

Downloader::~Downloader() = default;

void Downloader::DownloadFile(const std::string& url, const std::string& targetPath,
                              const std::optional<std::string>& expectedSha256) {
  lastStatus_ = 0;
  lastBytes_ = 0;
  lastError_ = 0;
  // What was kept is for the same file only.
  if (kept_ && (kept_->url != url || kept_->target != targetPath || kept_->sha256 != expectedSha256)) kept_.reset();
  Outcome outcome = Outcome::Refused;
  try {
    if (!kept_) kept_ = std::make_unique<Kept>(url, targetPath, expectedSha256);
    if (kept_->file.IsOpen()) {
      for (std::size_t tries = 0;; ++tries) {
        outcome = Try(*kept_, tries + 1);
        if (outcome != Outcome::Broken || tries >= limits_.retryWaits.size()) break;
        Wait(limits_.retryWaits[tries]);
      }
    }
  } catch (...) {
    kept_.reset();
    DeleteFileQuietly(targetPath);
    throw;
  }
  if (outcome == Outcome::Complete) {
    kept_.reset();
    return;
  }
  // Kept for the next call only where the server will give the rest.
  if (outcome == Outcome::Refused || !kept_->Resumable()) kept_.reset();
  DeleteFileQuietly(targetPath);
  throw SetupError(kDownloadFailedError, kDownloadErrorSource, FormatText(LoadMessage(message::kDownloadError), url));
}

Downloader::Outcome Downloader::Try(Kept& kept, std::size_t number) {
  for (;;) {
    TransferRange range;
    if (kept.Resumable()) {
      range = {kept.file.Size(), kept.validator};
    } else if (!kept.StartOver()) {
      return Outcome::Refused;
    }
    const std::unique_ptr<Transfer> transfer = transfers_.Start(kept.url, limits_.idleLimit, range);
    std::uint64_t received = 0;
    const auto report = [&](const std::string& how) {
      Log("try " + std::to_string(number) + ": " + kept.url + " from byte " + std::to_string(range.offset) +
          ": status " + std::to_string(lastStatus_) + ", " + std::to_string(received) + " bytes, " + how);
    };
    auto lastHeard = clock_();
    bool askAgain = false;
    while (!askAgain) {
      const TransferStep step = transfer->Next(limits_.pumpInterval);
      switch (step.kind) {
        case TransferStep::Kind::Waiting:
          if (clock_() - lastHeard >= limits_.idleLimit) {
            report("silent for too long");
            return Outcome::Broken;
          }
          runState_.ProcessPendingEvents();
          break;
        case TransferStep::Kind::Answer:
          lastStatus_ = step.status;
          switch (Judge(step, range, kept)) {
            case Answer::Whole:
            case Answer::Rest:
              lastHeard = clock_();
              lastBytes_ = kept.file.Size();
              ShowProgress(kept.file.Size(), kept.total.value_or(0));
              break;
            case Answer::StartOver:
              // 416, or a part that is not the rest: the whole file, asked for at once.
              report("not the rest of the file: from its start");
              if (!kept.StartOver()) return Outcome::Refused;
              askAgain = true;
              break;
            case Answer::Broken: report("tried again later"); return Outcome::Broken;
            case Answer::Refused:
              // An error page is not the file asked for.
              report("not the file");
              return Outcome::Refused;
          }
          break;
        case TransferStep::Kind::Data:
          received += step.data.size();
          if (kept.hash) kept.hash->Update(step.data.data(), step.data.size());
          if (!kept.file.Write(step.data)) {
            report("not written to disk");
            return Outcome::Refused;
          }
          lastBytes_ = kept.file.Size();
          lastHeard = clock_();
          ShowProgress(kept.file.Size(), kept.total.value_or(0));
          break;
        case TransferStep::Kind::End:
          // A connection that closed early is not the whole file (the rest may come); a
          // file of another hash is not the one the administrator meant.
          if (kept.total && kept.file.Size() < *kept.total) {
            report("ended before the file did");
            return Outcome::Broken;
          }
          if (kept.total && kept.file.Size() > *kept.total) {
            report("more bytes than announced");
            return Outcome::Refused;
          }
          if (kept.sha256 && (!kept.hash || !EqualsIgnoreAsciiCase(kept.hash->FinishHex(), *kept.sha256))) {
            report("of another SHA-256");
            return Outcome::Refused;
          }
          if (!kept.file.Commit()) {
            report("not put in place");
            return Outcome::Refused;
          }
          report("complete");
          return Outcome::Complete;
        case TransferStep::Kind::Failed:
          lastError_ = step.error;
          report("broken, " + DescribeTransferError(step.error));
          return IsPermanentTransferError(step.error) ? Outcome::Refused : Outcome::Broken;
      }
    }
  }
}

Downloader::Answer Downloader::Judge(const TransferStep& answer, const TransferRange& asked, Kept& kept) {
  const int status = answer.status;
  if (status >= 500 && status <= 599) return Answer::Broken;
  if (status == 416) return asked.offset > 0 ? Answer::StartOver : Answer::Refused;
  if (status == 206) {
    // The rest, when it starts where the bytes here end and belongs to a file as long.
    const std::optional<ContentRange> range = ParseContentRange(answer.contentRange);
    const bool rest = asked.offset > 0 && range && range->first == asked.offset &&
                      (!range->total || !kept.total || *range->total == *kept.total);
    if (!rest) return asked.offset > 0 ? Answer::StartOver : Answer::Refused;
    if (range->total) {
      kept.total = range->total;
    } else if (!kept.total && answer.length) {
      kept.total = asked.offset + *answer.length;
    }
    return Answer::Rest;
  }
  if (!IsSuccessStatus(status)) return Answer::Refused;
  // The whole file, also where the rest was asked for: the server ignores ranges, or
  // the file has changed since the bytes here came.
  if (kept.file.Size() > 0 && !kept.StartOver()) return Answer::Refused;
  kept.validator = answer.validator;
  kept.total = answer.length;
  return Answer::Whole;
}

void Downloader::Wait(std::chrono::milliseconds duration) {
  WaitProcessingEvents(runState_, clock_, sleep_, duration, limits_.pumpInterval);
}

void Downloader::ShowProgress(std::uint64_t received, std::uint64_t total) {
  // Counts beyond a positive 32-bit number cannot be shown; the window still lives.
  if (total > 0 && total <= static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max())) {
    runState_.SetDownloadProgress(FormatText(LoadMessage(message::kDownloaded),
                                             FormatByteSize(static_cast<std::int32_t>(received)),
                                             FormatByteSize(static_cast<std::int32_t>(total))));
  }
  runState_.ProcessPendingEvents();
}

void Downloader::Log(const std::string& event) {
  if (log_ != nullptr) log_->Write("download " + event);
}

}  // namespace kelvano
