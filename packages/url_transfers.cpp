#include "packages/url_transfers.h"

#include <optional>
#include <string>
#include <vector>

#include "packages/file_url.h"
#include "packages/readable_file.h"
#include "system/windows_errors.h"

namespace kelvano {
namespace {

constexpr std::size_t kPieceSize = 64 * 1024;

TransferStep Failed(long error) {
  TransferStep step;
  step.kind = TransferStep::Kind::Failed;
  step.error = error;
  return step;
}

// A file read piece by piece, one piece per poll, so that the window lives meanwhile.
// Asked for the rest of the same file, it answers as HTTP does: 206 and where the rest
// begins; asked for the rest of a file that has changed, the whole file.
class LocalFileTransfer final : public Transfer {
 public:
  LocalFileTransfer(const std::optional<std::string>& path, const TransferRange& range)
      : buffer_(kPieceSize), range_(range) {
    if (!path) {
      error_ = windows_error::kInvalidName;
      return;
    }
    file_ = ReadableFile::Open(*path, error_);
  }

  TransferStep Next(std::chrono::milliseconds) override {
    if (over_) return Failed(error_);
    if (!file_) return Over(Failed(error_));
    TransferStep step;
    if (!answered_) {
      answered_ = true;
      step.kind = TransferStep::Kind::Answer;
      step.validator = file_->Validator();
      const std::uint64_t size = file_->Size();
      if (range_.offset > 0 && range_.offset < size && range_.validator == step.validator) {
        if (const long error = file_->SkipTo(range_.offset); error != 0) return Over(Failed(error));
        step.status = 206;
        step.contentRange =
            "bytes " + std::to_string(range_.offset) + "-" + std::to_string(size - 1) + "/" + std::to_string(size);
        step.length = size - range_.offset;
      } else {
        step.length = size;
      }
      return step;
    }
    std::size_t read = 0;
    if (const long error = file_->Read(buffer_.data(), buffer_.size(), read); error != 0) {
      error_ = error;
      return Over(Failed(error));
    }
    if (read == 0) {
      step.kind = TransferStep::Kind::End;
      return Over(step);
    }
    step.kind = TransferStep::Kind::Data;
    step.data = std::string_view(buffer_.data(), read);
    return step;
  }

 private:
  TransferStep Over(TransferStep step) {
    over_ = true;
    file_.reset();
    return step;
  }

  std::unique_ptr<ReadableFile> file_;
  std::vector<char> buffer_;
  const TransferRange range_;
  long error_ = 0;
  bool answered_ = false;
  bool over_ = false;
};

}  // namespace

std::unique_ptr<Transfer> UrlTransfers::Start(const std::string& url, std::chrono::milliseconds idleLimit,
                                              const TransferRange& range) {
  if (NamesLocalFile(url)) return std::make_unique<LocalFileTransfer>(LocalFilePath(url), range);
  return network_.Start(url, idleLimit, range);
}

}  // namespace kelvano
