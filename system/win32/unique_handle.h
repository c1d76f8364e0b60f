#pragma once
// One owner per kind of Windows handle, in WIL's shape: a UniqueHandle closes what it
// holds when it leaves scope, on every path, early returns included. Each kind is one
// line: how it is closed and which value means none. ScopeExit is for one-off clean-up.

#include <windows.h>

#include <utility>

namespace kelvano {

template <typename Handle, auto Close, auto None = nullptr>
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(Handle handle) : handle_(handle) {}
  ~UniqueHandle() { Reset(); }
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.Release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }

  Handle Get() const { return handle_; }
  explicit operator bool() const { return IsSet(handle_); }
  // Closes what is held and holds `handle` instead.
  void Reset(Handle handle = NoneValue()) {
    if (IsSet(handle_)) Close(handle_);
    handle_ = handle;
  }
  Handle Release() { return std::exchange(handle_, NoneValue()); }
  // For a call that hands the handle out through a pointer; what was held is closed.
  Handle* Put() {
    Reset();
    return &handle_;
  }

 private:
  static Handle NoneValue() {
    if constexpr (requires { None(); }) {
      return None();
    } else {
      return static_cast<Handle>(None);
    }
  }
  // Both null and the kind's own "none" (INVALID_HANDLE_VALUE for files) hold nothing.
  static bool IsSet(Handle handle) { return handle != NoneValue() && handle != Handle{}; }

  Handle handle_ = NoneValue();
};

namespace handle_kinds {
inline void CloseKernel(HANDLE handle) { CloseHandle(handle); }
inline HANDLE InvalidFile() { return INVALID_HANDLE_VALUE; }
inline void CloseFind(HANDLE handle) { FindClose(handle); }
inline void CloseView(void* view) { UnmapViewOfFile(view); }
inline void DeleteGdiObject(HGDIOBJ object) { DeleteObject(object); }
inline void CloseIcon(HICON icon) { DestroyIcon(icon); }
inline void CloseMemoryDc(HDC dc) { DeleteDC(dc); }
}  // namespace handle_kinds

// Events, semaphores, mutexes, threads, processes, file mappings: null is none.
using unique_handle = UniqueHandle<HANDLE, handle_kinds::CloseKernel>;
// Files, which CreateFile gives as INVALID_HANDLE_VALUE when it fails.
using unique_hfile = UniqueHandle<HANDLE, handle_kinds::CloseKernel, handle_kinds::InvalidFile>;
using unique_hfind = UniqueHandle<HANDLE, handle_kinds::CloseFind, handle_kinds::InvalidFile>;
using unique_mapped_view = UniqueHandle<void*, handle_kinds::CloseView>;
using unique_hgdiobj = UniqueHandle<HGDIOBJ, handle_kinds::DeleteGdiObject>;
using unique_hfont = UniqueHandle<HFONT, handle_kinds::DeleteGdiObject>;
using unique_hicon = UniqueHandle<HICON, handle_kinds::CloseIcon>;
using unique_hdc = UniqueHandle<HDC, handle_kinds::CloseMemoryDc>;

// An object selected into a device context; the one it replaced is selected again when
// this leaves scope, before the object itself may be deleted.
class unique_select_object {
 public:
  unique_select_object(HDC dc, HGDIOBJ object) : dc_(dc), replaced_(SelectObject(dc, object)) {}
  ~unique_select_object() {
    if (replaced_ != nullptr && replaced_ != HGDI_ERROR) SelectObject(dc_, replaced_);
  }
  unique_select_object(const unique_select_object&) = delete;
  unique_select_object& operator=(const unique_select_object&) = delete;

 private:
  HDC dc_;
  HGDIOBJ replaced_;
};

// Runs `cleanUp` when it leaves scope.
template <typename CleanUp>
class ScopeGuard {
 public:
  explicit ScopeGuard(CleanUp cleanUp) : cleanUp_(std::move(cleanUp)) {}
  ~ScopeGuard() { cleanUp_(); }
  ScopeGuard(const ScopeGuard&) = delete;
  ScopeGuard& operator=(const ScopeGuard&) = delete;

 private:
  CleanUp cleanUp_;
};

template <typename CleanUp>
ScopeGuard<CleanUp> ScopeExit(CleanUp cleanUp) {
  return ScopeGuard<CleanUp>(std::move(cleanUp));
}

}  // namespace kelvano
