#include "unzip/archive_windows.h"

namespace kelvano {

ArchiveWindows::ArchiveWindows(std::unique_ptr<ArchiveFile> file, std::uint64_t wholeFileLimit)
    : file_(std::move(file)), size_(file_->Size()) {
  // When the whole mapping fails, windows are mapped one by one instead.
  if (size_ > 0 && size_ <= wholeFileLimit && size_ <= SIZE_MAX) {
    whole_ = file_->Map(0, static_cast<std::size_t>(size_));
  }
}

std::optional<ArchiveWindow> ArchiveWindows::Read(std::uint64_t offset, std::uint64_t length) {
  if (!Contains(offset, length) || length > SIZE_MAX) return std::nullopt;
  const auto count = static_cast<std::size_t>(length);
  if (count == 0) return ArchiveWindow();
  if (whole_) return ArchiveWindow(whole_->Data() + offset, count);
  std::unique_ptr<MappedView> view = file_->Map(offset, count);
  if (!view) return std::nullopt;
  const std::uint8_t* data = view->Data();
  return ArchiveWindow(data, count, std::move(view));
}

}  // namespace kelvano
