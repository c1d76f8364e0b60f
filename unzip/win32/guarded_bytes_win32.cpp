#include <windows.h>

#include <new>

#include "unzip/guarded_bytes.h"

namespace kelvano {
namespace {

std::size_t PageSize() {
  SYSTEM_INFO info;
  GetSystemInfo(&info);
  return info.dwPageSize;
}

}  // namespace

GuardedBytes::GuardedBytes(std::size_t size) : size_(size) {
  const std::size_t page = PageSize();
  if (size > SIZE_MAX - 2 * page) throw std::bad_alloc();
  reserved_ = (size + page - 1) / page * page;
  base_ = VirtualAlloc(nullptr, reserved_ + page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
  if (base_ == nullptr) throw std::bad_alloc();
  DWORD old;
  VirtualProtect(static_cast<std::uint8_t*>(base_) + reserved_, page, PAGE_NOACCESS, &old);
  data_ = static_cast<std::uint8_t*>(base_) + reserved_ - size;
}

GuardedBytes::~GuardedBytes() { VirtualFree(base_, 0, MEM_RELEASE); }

void GuardedBytes::MakeReadOnly() {
  DWORD old;
  if (reserved_ > 0) VirtualProtect(base_, reserved_, PAGE_READONLY, &old);
}

}  // namespace kelvano
