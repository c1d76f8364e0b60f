#pragma once
// A handle handed out by a seam, closed through the same seam when it leaves scope, on
// every path. Windows never hands out 0 as a handle, so 0 means "nothing to close".

namespace kelvano {

template <typename Seam, typename Handle, long (Seam::*Close)(Handle)>
class SeamHandle {
 public:
  explicit SeamHandle(Seam& seam) : seam_(seam) {}
  ~SeamHandle() { Release(); }
  SeamHandle(const SeamHandle&) = delete;
  SeamHandle& operator=(const SeamHandle&) = delete;

  // For the seam's open call to fill; it writes only when it succeeds. What was held
  // before is closed first, so that a second open through it leaks nothing.
  Handle& Receive() {
    Release();
    return handle_;
  }
  Handle Get() const { return handle_; }

 private:
  void Release() {
    if (handle_ != 0) (seam_.*Close)(handle_);
    handle_ = 0;
  }

  Seam& seam_;
  Handle handle_ = 0;
};

}  // namespace kelvano
