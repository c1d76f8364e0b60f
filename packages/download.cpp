#include "packages/download.h"

#include <algorithm>
#include <limits>
#include <optional>

#include "packages/byte_size.h"
#include "packages/http_fields.h"
#include "packages/partial_file.h"
#include "packages/readable_file.h"
#include "packages/sha256.h"
#include "packages/transfer_errors.h"
#include "startup/format_text.h"
#include "startup/messages.h"
#include "startup/path_helpers.h"
#include "system/event_pump_wait.h"
#include "system/system_error_text.h"
#include "system/setup_error.h"
#include "system/text_encoding.h"

namespace kelvano {
namespace {

bool IsSuccessStatus(int status) { return status == 0 || (status >= 200 && status <= 299); }

}  // namespace

// What a download has received so far, across its tries: the bytes (at the target's
// partial place, with a note of what they are beside them), their hash, and what names
// the file they belong to. Gone, note and all, when the download ends.
struct Downloader::Kept {
  Kept(std::string url, std::string target, std::optional<std::string> sha256, const BusyRetry& busy)
      : url(std::move(url)),
        target(std::move(target)),
        sha256(std::move(sha256)),
        file(this->target, busy),
        notePath(file.Path() + ".info"),
        busy(busy) {}
  ~Kept() { DeleteFileQuietly(notePath, busy); }

  // The server named the file, and some of it is here.
  bool Resumable() const { return file.Size() > 0 && !validator.empty(); }
  // Before the first byte of every try that does not resume: the hash starts with it.
  bool StartOver() {
    validator.clear();
    total.reset();
    if (sha256) hash = MakeStreamHasher();
    notedBytes = 0;
    DeleteFileQuietly(notePath, busy);
    return file.StartOver();
  }
  // The address, the validator and the bytes so far, for a run after a killed one: at
  // the answer and then every 256 KiB; bytes past the last note are not trusted.
  void Note(bool now) {
    if (validator.empty() || (!now && file.Size() - notedBytes < kNoteEvery)) return;
    notedBytes = file.Size();
    WriteWholeFile(notePath, url + "\n" + validator + "\n" + std::to_string(total.value_or(0)) + "\n" +
                                 std::to_string(notedBytes) + "\n");
  }

  static constexpr std::uint64_t kNoteEvery = std::uint64_t{256} << 10;
  const std::string url;
  const std::string target;
  const std::optional<std::string> sha256;
  PartialFile file;
  const std::string notePath;
  const BusyRetry busy;
  std::unique_ptr<StreamHasher> hash;
  std::string validator;               // the ETag or Last-Modified of the bytes here
  std::optional<std::uint64_t> total;  // the length of the whole file, when announced
  std::uint64_t notedBytes = 0;
  bool roomChecked = false;  // for the bytes still to come, in this try
};

namespace {

// The note of an earlier run's partial download: address, validator, length, bytes.
struct EarlierNote {
  std::string url, validator;
  std::uint64_t total = 0, bytes = 0;
};

std::optional<std::uint64_t> ParseDecimal(const std::string& text) {
  if (text.empty() || text.size() > 19) return std::nullopt;
  std::uint64_t value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<std::uint64_t>(c - '0');
  }
  return value;
}

// The hash of a file's first `size` bytes, for bytes that an earlier run received.
std::unique_ptr<StreamHasher> HashOfFile(const std::string& path, std::uint64_t size) {
  long error = 0;
  const std::unique_ptr<ReadableFile> file = ReadableFile::Open(path, error);
  if (!file) return nullptr;
  std::unique_ptr<StreamHasher> hash = MakeStreamHasher();
  std::vector<char> buffer(1 << 16);
  for (std::uint64_t done = 0; done < size;) {
    std::size_t read = 0;
    const std::size_t piece = static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size(), size - done));
    if (file->Read(buffer.data(), piece, read) != 0 || read == 0) return nullptr;
    hash->Update(buffer.data(), read);
    done += read;
  }
  return hash;
}

std::optional<EarlierNote> ReadNote(const std::string& path) {
  const std::optional<std::string> text = ReadWholeFile(path);
  if (!text) return std::nullopt;
  std::vector<std::string> lines;
  for (std::size_t start = 0, end; (end = text->find('\n', start)) != std::string::npos; start = end + 1) {
    lines.push_back(text->substr(start, end - start));
  }
  if (lines.size() != 4) return std::nullopt;
  const std::optional<std::uint64_t> total = ParseDecimal(lines[2]), bytes = ParseDecimal(lines[3]);
  if (!total || !bytes) return std::nullopt;
  return EarlierNote{lines[0], lines[1], *total, *bytes};
}

}  // namespace

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
  shortage_.reset();
  writeError_ = 0;
  // What was kept is for the same file only.
  if (kept_ && (kept_->url != url || kept_->target != targetPath || kept_->sha256 != expectedSha256)) kept_.reset();
  Outcome outcome = Outcome::Refused;
  try {
    if (!kept_) {
      kept_ = std::make_unique<Kept>(url, targetPath, expectedSha256, busy_);
      TakeOverOrRemove(*kept_);
    }
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
  if (!kept_->file.IsOpen()) writeError_ = kept_->file.Error();
  // Kept for the next call only where the server will give the rest; a download short
  // of room is resumed once the user has made some.
  if (outcome == Outcome::Refused || !kept_->Resumable()) kept_.reset();
  DeleteFileQuietly(targetPath, busy_);
  if (shortage_) throw SetupError(kDownloadFailedError, kDownloadErrorSource, DescribeShortage(*shortage_));
  std::string description = FormatText(LoadMessage(message::kDownloadError), url);
  if (writeError_ != 0) description += " (" + SystemErrorText(writeError_) + ")";
  throw SetupError(kDownloadFailedError, kDownloadErrorSource, description);
}

void Downloader::TakeOverOrRemove(Kept& kept) {
  const std::uint64_t there = kept.file.Size();
  if (there == 0) return;
  const std::optional<EarlierNote> note = ReadNote(kept.notePath);
  std::string why;
  if (!note) {
    why = "no note of what it is";
  } else if (note->url != kept.url) {
    why = "of another address, " + note->url;
  } else if (note->validator.empty() || note->bytes == 0) {
    why = "the server named no version of it";
  } else if (!kept.file.TruncateTo(std::min(there, note->bytes))) {
    why = "not readable";
  } else if (kept.sha256 && !(kept.hash = HashOfFile(kept.file.Path(), kept.file.Size()))) {
    why = "not readable";
  } else {
    // Asked for the rest as a broken link is: the server's validator decides.
    kept.validator = note->validator;
    if (note->total > 0) kept.total = note->total;
    kept.notedBytes = kept.file.Size();
    Log("takes over an earlier run's partial download: " + std::to_string(kept.file.Size()) + " bytes of " + kept.url +
        " in " + kept.file.Path());
    return;
  }
  Log("removes an earlier run's partial download (" + why + "): " + kept.file.Path());
  kept.StartOver();
}

bool Downloader::HasRoom(Kept& kept) {
  if (kept.roomChecked || !freeSpace_ || !kept.total || *kept.total <= kept.file.Size()) return true;
  kept.roomChecked = true;
  std::string folder = ParentFolder(kept.target);
  if (!folder.empty() && folder.back() == ':') folder += '\\';  // a drive's root: "T:\"
  shortage_ = CheckSpace(folder, *kept.total - kept.file.Size(), freeSpace_(folder));
  return !shortage_;
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
    kept.roomChecked = false;
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
              if (!HasRoom(kept)) {
                report("stopped: " + DescribeShortage(*shortage_));
                return Outcome::NoRoom;
              }
              kept.Note(true);
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
            // The first write that fails ends the transfer: nothing more is read.
            writeError_ = kept.file.Error();
            report("not written to disk, " + SystemErrorText(writeError_));
            return Outcome::Refused;
          }
          kept.Note(false);
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
            writeError_ = kept.file.Error();
            report("not put in place, " + SystemErrorText(writeError_));
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
                                             FormatByteSize(static_cast<std::int32_t>(total))),
                                  received, total);
  }
  runState_.ProcessPendingEvents();
}

void Downloader::Log(const std::string& event) {
  if (log_ != nullptr) log_->Write("download " + event);
}

}  // namespace kelvano
