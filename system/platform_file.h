#pragma once
// An open file of this system with one owner, which closes it: the portable headers
// that hold a file (a download's partial file) name it without the system's headers.

#include <cstdint>
#include <utility>

namespace kelvano {

// A Windows HANDLE or a posix descriptor, carried in an integer as wide as a pointer;
// only the platform's own files read it. -1 is none on both (INVALID_HANDLE_VALUE, a
// failed open()).
using PlatformFileHandle = std::intptr_t;
inline constexpr PlatformFileHandle kNoPlatformFile = -1;

// CloseHandle on Windows, close elsewhere.
void ClosePlatformFile(PlatformFileHandle file);

class PlatformFile {
 public:
  PlatformFile() = default;
  explicit PlatformFile(PlatformFileHandle file) : file_(file) {}
  ~PlatformFile() { Reset(); }
  PlatformFile(PlatformFile&& other) noexcept : file_(other.Release()) {}
  PlatformFile& operator=(PlatformFile&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }

  PlatformFileHandle Get() const { return file_; }
  explicit operator bool() const { return file_ != kNoPlatformFile; }
  // Closes what is held and holds `file` instead.
  void Reset(PlatformFileHandle file = kNoPlatformFile) {
    if (*this) ClosePlatformFile(file_);
    file_ = file;
  }
  PlatformFileHandle Release() { return std::exchange(file_, kNoPlatformFile); }

 private:
  PlatformFileHandle file_ = kNoPlatformFile;
};

}  // namespace kelvano
