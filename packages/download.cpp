#include "packages/download.h"

#include <limits>
#include <optional>

#include "packages/byte_size.h"
#include "packages/partial_file.h"
#include "packages/sha256.h"
#include "startup/format_text.h"
#include "startup/messages.h"
#include "system/setup_error.h"
#include "system/text_encoding.h"

namespace kelvano {
namespace {

constexpr int kProgressMessage = 102;
constexpr int kFailedMessage = 128;

bool IsSuccessStatus(int status) { return status == 0 || (status >= 200 && status <= 299); }

}  // namespace

void Downloader::DownloadFile(const std::string& url, const std::string& targetPath,
                              const std::optional<std::string>& expectedSha256) {
  bool complete = false;
  lastStatus_ = 0;
  lastBytes_ = 0;
  lastError_ = 0;
  try {
    complete = Transfer(url, targetPath, expectedSha256);
  } catch (...) {
    DeleteFileQuietly(targetPath);
    throw;
  }
  if (!complete) {
    DeleteFileQuietly(targetPath);
    throw SetupError(kDownloadFailedError, kDownloadErrorSource, FormatText(LoadMessage(kFailedMessage), url));
  }
}

bool Downloader::Transfer(const std::string& url, const std::string& targetPath,
                          const std::optional<std::string>& expectedSha256) {
  PartialFile file(targetPath);
  if (!file.IsOpen()) return false;
  const std::unique_ptr<kelvano::Transfer> transfer = transfers_.Start(url, limits_.idleLimit);
  std::optional<std::uint64_t> announced;
  std::uint64_t& received = lastBytes_;
  // Hashed as it arrives: the file is never read again to be checked.
  std::unique_ptr<StreamHasher> hash;
  if (expectedSha256) hash = MakeStreamHasher();
  auto lastHeard = clock_();
  for (;;) {
    const TransferStep step = transfer->Next(limits_.pumpInterval);
    switch (step.kind) {
      case TransferStep::Kind::Waiting:
        if (clock_() - lastHeard >= limits_.idleLimit) return false;
        runState_.ProcessPendingEvents();
        break;
      case TransferStep::Kind::Answer:
        lastStatus_ = step.status;
        // An error page is not the file asked for.
        if (!IsSuccessStatus(step.status)) return false;
        announced = step.length;
        lastHeard = clock_();
        ShowProgress(0, announced.value_or(0));
        break;
      case TransferStep::Kind::Data:
        received += step.data.size();
        if (hash) hash->Update(step.data.data(), step.data.size());
        if (!file.Write(step.data)) return false;
        lastHeard = clock_();
        ShowProgress(received, announced.value_or(0));
        break;
      case TransferStep::Kind::End:
        // A connection that closed early is not the whole file; a file of another hash
        // is not the one the administrator meant.
        if (announced && received != *announced) return false;
        if (hash && !EqualsIgnoreAsciiCase(hash->FinishHex(), *expectedSha256)) return false;
        return file.Commit();
      case TransferStep::Kind::Failed:
        lastError_ = step.error;
        return false;
    }
  }
}

void Downloader::ShowProgress(std::uint64_t received, std::uint64_t total) {
  // Counts beyond a positive 32-bit number cannot be shown; the window still lives.
  if (total > 0 && total <= static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max())) {
    runState_.SetDownloadProgress(FormatText(LoadMessage(kProgressMessage),
                                             FormatByteSize(static_cast<std::int32_t>(received)),
                                             FormatByteSize(static_cast<std::int32_t>(total))));
  }
  runState_.ProcessPendingEvents();
}

}  // namespace kelvano
