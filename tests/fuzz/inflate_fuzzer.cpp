// The decoder on arbitrary input: it must never touch a byte outside its output (which
// ends at a guard page), and whatever zlib decodes as raw deflate within the same
// capacity it must decode to the same bytes, with their CRC-32. Streamed through a
// window with little room, it must come to exactly the same result.
#include <sanitizer/asan_interface.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "system/setup_error.h"
#include "tests/support/zlib_reference.h"
#include "unzip/cunzip.h"
#include "unzip/inflate.h"

namespace {

constexpr std::size_t kMaxCapacity = 1 << 20;

struct Host : kelvano::InflateHost {
  void Progress(std::uint64_t position, std::uint64_t size) override {
    if (position > size) std::abort();  // never beyond the input
    progress.push_back(position);
  }
  std::vector<std::string> errors;  // the reader's ordinary errors
  std::vector<std::uint64_t> progress;
};

struct Sink : kelvano::InflateSink {
  bool Write(const std::uint8_t* data, std::size_t size) override {
    if (size == 0) std::abort();
    bytes.insert(bytes.end(), data, data + size);
    return true;
  }
  std::vector<std::uint8_t> bytes;
};

struct Outcome {
  bool ok = false;
  bool raised = false;
  std::uint64_t produced = 0;
  std::uint32_t crc = 0;
  Host host;
};

// Runs one decode and makes of its result what the reader does; the run-time error
// must be the one the reader raises for the decoder.
template <typename Decode>
Outcome Run(std::uint64_t capacity, Decode decode) {
  Outcome outcome;
  outcome.produced = capacity;
  try {
    const kelvano::InflateResult result = decode(outcome.produced, outcome.crc, outcome.host);
    outcome.ok = result == kelvano::InflateResult::kOk;
    if (!outcome.ok && result != kelvano::InflateResult::kSinkRefused) {
      outcome.host.errors.push_back(kelvano::DecodingError(result));
    }
  } catch (const kelvano::SetupError& error) {
    if (error.Number() != 9 || error.Description() != "Subscript out of range") std::abort();
    outcome.raised = true;
  }
  return outcome;
}

// kMaxCapacity bytes followed by an inaccessible page; an output of n bytes is the
// last n of them, so the first byte past it faults. What lies before is poisoned.
struct GuardedOutput {
  std::uint8_t* base;
  std::size_t size;
  GuardedOutput() {
    const std::size_t page = std::size_t(sysconf(_SC_PAGESIZE));
    size = (kMaxCapacity + page - 1) / page * page;
    void* map = mmap(nullptr, size + page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (map == MAP_FAILED) std::abort();
    base = static_cast<std::uint8_t*>(map);
    if (mprotect(base + size, page, PROT_NONE) != 0) std::abort();
  }
  std::uint8_t* Take(std::size_t capacity) {
    std::uint8_t* destination = base + size - capacity;
    ASAN_UNPOISON_MEMORY_REGION(base, size);
    std::memset(destination, 0, capacity);  // a new output file
    ASAN_POISON_MEMORY_REGION(base, size - capacity);
    return destination;
  }
};

// The first byte chooses the method and the output capacity: a multiple of the
// stream's size (from none to 1024 times) plus a few bytes.
std::size_t Capacity(std::uint8_t control, std::size_t streamSize) {
  static constexpr std::size_t kRatio[8] = {0, 1, 2, 4, 8, 32, 256, 1024};
  const std::size_t capacity = streamSize * kRatio[(control >> 1) & 7] + (control >> 4);
  return capacity < kMaxCapacity ? capacity : kMaxCapacity;
}

// Windows that hand output over after every byte, before the fast loop can run, while
// it runs, and as shipped; reused from input to input, as the reader reuses its window
// from member to member. Every hand-over moves the 64 KiB history, so a window hands
// over a few hundred times per input at most: beyond that the next larger one is taken.
kelvano::InflateWindow& StreamWindow(std::size_t streamSize, std::size_t capacity) {
  static constexpr std::size_t kRoom[4] = {1, 300, 5000, kelvano::InflateWindow::kDefaultRoom};
  static kelvano::InflateWindow windows[4] = {kelvano::InflateWindow(kRoom[0]), kelvano::InflateWindow(kRoom[1]),
                                              kelvano::InflateWindow(kRoom[2]), kelvano::InflateWindow(kRoom[3])};
  std::size_t choice = streamSize % 4;
  while (choice < 3 && capacity > kelvano::InflateWindow::kHistory + kRoom[choice] * 512) ++choice;
  return windows[choice];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  static GuardedOutput output;
  static std::vector<std::uint8_t> reference(kMaxCapacity);
  const bool deflate64 = data[0] & 1;
  const std::uint8_t* stream = data + 1;
  const std::size_t streamSize = size - 1;
  const std::size_t capacity = Capacity(data[0], streamSize);
  std::uint8_t* destination = output.Take(capacity);

  const Outcome once = Run(capacity, [&](std::uint64_t& produced, std::uint32_t& crc, Host& host) {
    return kelvano::Inflate(stream, streamSize, destination, produced, crc, deflate64, host);
  });
  const bool ok = once.ok;
  const std::uint64_t produced = once.produced;
  const std::uint32_t crc = once.crc;
  if (ok && (produced > capacity || !once.host.errors.empty())) std::abort();
  if (!ok && once.host.errors.size() > 1) std::abort();

  kelvano::InflateWindow& window = StreamWindow(streamSize, capacity);
  Sink sink;
  const Outcome streamed = Run(capacity, [&](std::uint64_t& produced, std::uint32_t& crc, Host& host) {
    return kelvano::InflateStreamed(stream, streamSize, window, sink, produced, crc, deflate64, host);
  });
  if (streamed.ok != ok || streamed.raised != once.raised || streamed.host.errors != once.host.errors ||
      streamed.host.progress != once.host.progress || sink.bytes.size() > capacity ||
      (!sink.bytes.empty() && std::memcmp(sink.bytes.data(), destination, sink.bytes.size()) != 0))
    std::abort();
  if (ok && (streamed.produced != produced || streamed.crc != crc || sink.bytes.size() != produced)) std::abort();
  if (deflate64) return 0;

  std::size_t zlibProduced = 0;
  if (!kelvano::test::ZlibInflate(stream, streamSize, reference.data(), capacity, zlibProduced)) return 0;
  if (!ok || produced != zlibProduced || std::memcmp(destination, reference.data(), zlibProduced) != 0 ||
      crc != kelvano::test::ZlibCrc32(reference.data(), zlibProduced))
    std::abort();
  // The rest of a new output file stays zero (one memcmp: a loop here would be traced
  // compare by compare and slow every input down).
  static const std::vector<std::uint8_t> zeros(kMaxCapacity);
  if (std::memcmp(destination + zlibProduced, zeros.data(), capacity - zlibProduced) != 0) std::abort();
  return 0;
}
