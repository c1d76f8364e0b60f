#pragma once
// A handle handed out by a seam, closed through the same seam when it leaves scope, on
// every path. Windows never hands out 0 as a handle, so 0 means "nothing to close".

namespace kelvano {

template <typename Seam, typename Handle, long (Seam::*Close)(Handle)>
class SeamHandle {
 public:
  explicit SeamHandle(Seam& seam) : seam_(seam) {}
  ~SeamHandle() {
    if (handle_ != 0) (seam_.*Close)(handle_);
  }
  SeamHandle(const SeamHandle&) = delete;
  SeamHandle& operator=(const SeamHandle&) = delete;

  // For the seam's open call to fill; it writes only when it succeeds.
  Handle& Receive() { return handle_; }
  Handle Get() const { return handle_; }

 private:
  Seam& seam_;
  Handle handle_ = 0;
};

}  // namespace kelvano
