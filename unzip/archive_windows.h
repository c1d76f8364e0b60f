#pragma once
// Checked read windows of an open archive. No window describes a byte past the end of
// the file. Archives up to a limit (every archive in a 64-bit process) are mapped
// once and windows are cut from that view; larger ones are mapped window by window,
// which keeps a 32-bit process's address space free for the output.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>

#include "unzip/zip_file_system.h"

namespace kelvano {

class ArchiveWindow {
 public:
  ArchiveWindow() = default;
  ArchiveWindow(const std::uint8_t* data, std::size_t size, std::unique_ptr<MappedView> ownView = nullptr)
      : data_(data), size_(size), ownView_(std::move(ownView)) {}

  const std::uint8_t* Data() const { return data_; }
  std::size_t Size() const { return size_; }

 private:
  const std::uint8_t* data_ = nullptr;
  std::size_t size_ = 0;
  std::unique_ptr<MappedView> ownView_;
};

class ArchiveWindows {
 public:
  static constexpr std::uint64_t kDefaultWholeFileLimit = sizeof(void*) >= 8 ? UINT64_MAX : std::uint64_t{64} << 20;

  explicit ArchiveWindows(std::unique_ptr<ArchiveFile> file, std::uint64_t wholeFileLimit = kDefaultWholeFileLimit);

  std::uint64_t FileSize() const { return size_; }
  // True when [offset, offset + length) lies inside the file.
  bool Contains(std::uint64_t offset, std::uint64_t length) const {
    return offset <= size_ && length <= size_ - offset;
  }
  // The bytes [offset, offset + length); nothing when they pass the end of the file or
  // cannot be mapped.
  std::optional<ArchiveWindow> Read(std::uint64_t offset, std::uint64_t length);

 private:
  std::unique_ptr<ArchiveFile> file_;
  std::uint64_t size_;
  std::unique_ptr<MappedView> whole_;
};

}  // namespace kelvano
