// The download's SHA-256 on a thread of its own: the UI thread copies each piece into
// one of a few slots and goes on receiving and writing while the other processor hashes.
#include <windows.h>

#include <cstring>
#include <vector>

#include "packages/sha256.h"
#include "system/win32/unique_handle.h"

namespace kelvano {
namespace {

// Few and large: every hand-over between the threads is a call to the system.
constexpr int kSlots = 4;
constexpr std::size_t kSlotSize = 2 * 1024 * 1024;

class BackgroundHasher : public StreamHasher {
 public:
  BackgroundHasher()
      : free_(CreateSemaphoreW(nullptr, kSlots, kSlots, nullptr)),
        filled_(CreateSemaphoreW(nullptr, 0, kSlots, nullptr)),
        slots_(kSlots) {
    for (Slot& slot : slots_) slot.bytes.resize(kSlotSize);
    if (free_ && filled_) thread_.Reset(CreateThread(nullptr, 0, Work, this, 0, nullptr));
  }
  ~BackgroundHasher() override { Stop(); }
  BackgroundHasher(const BackgroundHasher&) = delete;
  BackgroundHasher& operator=(const BackgroundHasher&) = delete;

  void Update(const void* data, std::size_t size) override {
    auto bytes = static_cast<const std::uint8_t*>(data);
    if (!thread_) {
      sha_.Update(bytes, size);  // no thread to spare: as the bytes come
      return;
    }
    while (size > 0) {
      if (!holding_) {
        WaitForSingleObject(free_.Get(), INFINITE);
        holding_ = true;
        slots_[next_].size = 0;
      }
      Slot& slot = slots_[next_];
      const std::size_t piece = std::min(size, kSlotSize - slot.size);
      std::memcpy(slot.bytes.data() + slot.size, bytes, piece);
      slot.size += piece;
      bytes += piece;
      size -= piece;
      if (slot.size == kSlotSize) HandOver();
    }
  }

  std::string FinishHex() override {
    Stop();
    return sha_.FinishHex();
  }

 private:
  struct Slot {
    std::vector<std::uint8_t> bytes;
    std::size_t size = 0;  // 0 ends the work
  };

  static DWORD WINAPI Work(void* self) {
    auto& hasher = *static_cast<BackgroundHasher*>(self);
    for (int slot = 0;; slot = (slot + 1) % kSlots) {
      WaitForSingleObject(hasher.filled_.Get(), INFINITE);
      const Slot& filled = hasher.slots_[slot];
      if (filled.size == 0) return 0;
      hasher.sha_.Update(filled.bytes.data(), filled.size);
      ReleaseSemaphore(hasher.free_.Get(), 1, nullptr);
    }
  }

  void HandOver() {
    next_ = (next_ + 1) % kSlots;
    holding_ = false;
    ReleaseSemaphore(filled_.Get(), 1, nullptr);
  }

  // Hands the thread what is left and the end, and waits until it has hashed it all.
  void Stop() {
    if (!thread_) return;
    if (holding_ && slots_[next_].size > 0) HandOver();
    if (!holding_) WaitForSingleObject(free_.Get(), INFINITE);
    slots_[next_].size = 0;
    ReleaseSemaphore(filled_.Get(), 1, nullptr);
    WaitForSingleObject(thread_.Get(), INFINITE);
    thread_.Reset();
  }

  const unique_handle free_;
  const unique_handle filled_;
  unique_handle thread_;  // the hashing thread, joined by Stop
  std::vector<Slot> slots_;
  int next_ = 0;
  bool holding_ = false;  // slots_[next_] is being filled
  Sha256 sha_;            // the thread's alone until it has stopped
};

}  // namespace

std::unique_ptr<StreamHasher> MakeStreamHasher() { return std::make_unique<BackgroundHasher>(); }

}  // namespace kelvano
