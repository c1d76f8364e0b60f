#pragma once
// Mapped views of files for the mmap seam.
//
// Unmapping a few pages costs far more than their size suggests: the system flushes
// them from the processor's address cache one by one, and under a hypervisor each of
// those flushes is a trap. Small views of outputs are therefore placed side by side
// in one reserved range and unmapped together, in one call, when the range is full or
// its owner (the open archive) goes away.

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <memory>

#include "unzip/zip_file_system.h"

namespace kelvano {

class ViewArena {
 public:
  static constexpr std::size_t kSize = std::size_t{64} << 20;
  static constexpr std::size_t kLargestView = std::size_t{2} << 20;

  ViewArena() = default;
  ~ViewArena();
  ViewArena(const ViewArena&) = delete;
  ViewArena& operator=(const ViewArena&) = delete;

  // Maps length bytes (whole pages) of the file from start into the arena; null when
  // the view is too large for it or the arena is full of views still in use.
  void* Map(int fd, off_t start, std::size_t length, int protection);
  void Release() { --inUse_; }

 private:
  void* base_ = nullptr;
  std::size_t used_ = 0;
  int inUse_ = 0;
};

class PosixView : public MappedView {
 public:
  // A view of its own, or one placed in an arena, which it keeps alive.
  PosixView(void* base, std::size_t mappedLength, std::size_t lead, std::size_t size,
            std::shared_ptr<ViewArena> arena = nullptr)
      : base_(base), mappedLength_(mappedLength), lead_(lead), size_(size), arena_(std::move(arena)) {}
  ~PosixView() override;
  PosixView(const PosixView&) = delete;
  PosixView& operator=(const PosixView&) = delete;

  std::uint8_t* Data() override { return static_cast<std::uint8_t*>(base_) + lead_; }
  std::size_t Size() const override { return size_; }
  // Faults every page in, writable, at once. Returns 0, or the error: EINVAL from a
  // system too old to do it, others when it failed (no space left for the pages).
  int PopulateWritable();

 private:
  void* base_;
  std::size_t mappedLength_;
  std::size_t lead_;
  std::size_t size_;
  std::shared_ptr<ViewArena> arena_;
};

// Maps [offset, offset + length) of the file (views start on page boundaries), in the
// arena when one is given and takes it.
std::unique_ptr<PosixView> MapRange(int fd, std::uint64_t offset, std::size_t length, int protection,
                                    const std::shared_ptr<ViewArena>& arena = nullptr);

}  // namespace kelvano
