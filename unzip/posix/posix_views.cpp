#include "unzip/posix/posix_views.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>

namespace kelvano {
namespace {

std::size_t PageSize() {
  static const auto page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
  return page;
}

void* Reserve(void* at, std::size_t size) {
  const int fixed = at != nullptr ? MAP_FIXED : 0;
  return mmap(at, size, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE | fixed, -1, 0);
}

}  // namespace

ViewArena::~ViewArena() {
  if (base_ != nullptr) munmap(base_, kSize);
}

void* ViewArena::Map(int fd, off_t start, std::size_t length, int protection) {
  length = (length + PageSize() - 1) / PageSize() * PageSize();
  if (length > kLargestView) return nullptr;
  if (base_ == nullptr) {
    void* reserved = Reserve(nullptr, kSize);
    if (reserved == MAP_FAILED) return nullptr;
    base_ = reserved;
  }
  if (used_ + length > kSize) {
    if (inUse_ > 0) return nullptr;
    // Every earlier view goes at once, replaced by the reservation.
    if (Reserve(base_, kSize) == MAP_FAILED) return nullptr;
    used_ = 0;
  }
  void* view = mmap(static_cast<char*>(base_) + used_, length, protection, MAP_SHARED | MAP_FIXED, fd, start);
  if (view == MAP_FAILED) return nullptr;
  used_ += length;
  ++inUse_;
  return view;
}

PosixView::~PosixView() {
  if (arena_) {
    arena_->Release();  // unmapped with the others
  } else {
    munmap(base_, mappedLength_);
  }
}

int PosixView::PopulateWritable() {
  return madvise(base_, mappedLength_, MADV_POPULATE_WRITE) == 0 ? 0 : errno;
}

std::unique_ptr<PosixView> MapRange(int fd, std::uint64_t offset, std::size_t length, int protection,
                                    const std::shared_ptr<ViewArena>& arena) {
  const std::uint64_t start = offset - offset % PageSize();
  const auto lead = static_cast<std::size_t>(offset - start);
  if (length == 0 || length > SIZE_MAX - lead || start > static_cast<std::uint64_t>(INT64_MAX)) return nullptr;
  const auto fileStart = static_cast<off_t>(start);
  if (arena) {
    if (void* base = arena->Map(fd, fileStart, lead + length, protection)) {
      return std::make_unique<PosixView>(base, lead + length, lead, length, arena);
    }
  }
  void* base = mmap(nullptr, lead + length, protection, MAP_SHARED, fd, fileStart);
  if (base == MAP_FAILED) return nullptr;
  return std::make_unique<PosixView>(base, lead + length, lead, length);
}

}  // namespace kelvano
