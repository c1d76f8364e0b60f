#pragma once
// Memory whose last byte is followed by an inaccessible page, so that touching a byte
// past the end faults at once instead of going unnoticed. The in-memory file system
// hands out its views in it, for tests and fuzzing.

#include <cstddef>
#include <cstdint>

namespace kelvano {

class GuardedBytes {
 public:
  // Zero-filled; throws std::bad_alloc when the memory cannot be had.
  explicit GuardedBytes(std::size_t size);
  ~GuardedBytes();
  GuardedBytes(const GuardedBytes&) = delete;
  GuardedBytes& operator=(const GuardedBytes&) = delete;

  std::uint8_t* Data() { return data_; }
  std::size_t Size() const { return size_; }
  // From now on a write faults too.
  void MakeReadOnly();

 private:
  void* base_ = nullptr;
  std::size_t reserved_ = 0;  // the accessible pages, without the guard page
  std::uint8_t* data_ = nullptr;
  std::size_t size_ = 0;
};

}  // namespace kelvano
