#include <sys/mman.h>
#include <unistd.h>

#include <new>

#include "unzip/guarded_bytes.h"

namespace kelvano {

GuardedBytes::GuardedBytes(std::size_t size) : size_(size) {
  const auto page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
  if (size > SIZE_MAX - 2 * page) throw std::bad_alloc();
  reserved_ = (size + page - 1) / page * page;
  base_ = mmap(nullptr, reserved_ + page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (base_ == MAP_FAILED) throw std::bad_alloc();
  mprotect(static_cast<std::uint8_t*>(base_) + reserved_, page, PROT_NONE);
  data_ = static_cast<std::uint8_t*>(base_) + reserved_ - size;
}

GuardedBytes::~GuardedBytes() { munmap(base_, reserved_ + static_cast<std::size_t>(sysconf(_SC_PAGESIZE))); }

void GuardedBytes::MakeReadOnly() {
  if (reserved_ > 0) mprotect(base_, reserved_, PROT_READ);
}

}  // namespace kelvano
