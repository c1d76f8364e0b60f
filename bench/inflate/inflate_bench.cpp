// Output throughput of the decoder against zlib and libdeflate on the same streams,
// and CRC-32 throughput, all measured in one run; prints medians and ratios.
#include <libdeflate.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/support/sample_data.h"
#include "tests/support/zlib_reference.h"
#include "unzip/crc32_paths.h"
#include "unzip/inflate.h"
#include "unzip/inflate_state.h"

namespace {

using kelvano::test::Bytes;

struct QuietHost : kelvano::InflateHost {
  void Progress(std::uint64_t, std::uint64_t) override {}
};

// Keeps a result the compiler would otherwise see unused.
inline void Keep(std::uint32_t value) { asm volatile("" : : "r"(value)); }

// Processor time of this thread: other programs on the machine slow it less than
// the wall clock.
double ThreadSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

// Rounds of each measurement: the ratios of pieces within a few per cent of each
// other changed sides from run to run with five.
constexpr int kRounds = 9;

// Bytes per second of each piece of work: kRounds rounds, each running every piece in
// turn (so that a busy moment of the machine hits them all) for at least 0.2 s; the
// median round of each.
std::vector<double> Measure(std::size_t bytes, const std::vector<std::function<void()>>& pieces) {
  std::vector<std::vector<double>> rates(pieces.size());
  for (int round = 0; round < kRounds; ++round) {
    for (std::size_t i = 0; i < pieces.size(); ++i) {
      int times = 0;
      const double start = ThreadSeconds();
      double elapsed = 0;
      do {
        pieces[i]();
        ++times;
        elapsed = ThreadSeconds() - start;
      } while (elapsed < 0.2);
      rates[i].push_back(double(bytes) * times / elapsed);
    }
  }
  std::vector<double> medians;
  for (auto& r : rates) {
    std::sort(r.begin(), r.end());
    medians.push_back(r[kRounds / 2]);
  }
  return medians;
}

void Check(bool good, const char* what) {
  if (!good) throw std::runtime_error(std::string("wrong output: ") + what);
}

void BenchInflate(const char* name, const Bytes& data) {
  const Bytes stream = kelvano::test::ZlibDeflate(data, 6);
  Bytes out(data.size(), 1);  // faulted in once, outside the timing
  const std::uint32_t expectedCrc = kelvano::test::ZlibCrc32(data.data(), data.size());
  QuietHost host;

  auto ours = [&](bool withCrc) {
    std::uint64_t size = out.size();
    std::uint32_t crc = 0;
    Check(kelvano::inflate::DecodeStream(stream.data(), stream.size(), out.data(), size, withCrc ? &crc : nullptr,
                                         false, host) == kelvano::InflateResult::kOk,
          "ours");
    return withCrc ? crc : std::uint32_t(size);
  };
  auto zlib = [&](bool withCrc) {
    std::size_t produced = 0;
    Check(kelvano::test::ZlibInflate(stream.data(), stream.size(), out.data(), out.size(), produced), "zlib");
    return withCrc ? kelvano::test::ZlibCrc32(out.data(), produced) : 0u;
  };
  libdeflate_decompressor* decompressor = libdeflate_alloc_decompressor();
  auto libdeflate = [&](bool withCrc) {
    Check(libdeflate_deflate_decompress(decompressor, stream.data(), stream.size(), out.data(), out.size(), nullptr) ==
              LIBDEFLATE_SUCCESS,
          "libdeflate");
    return withCrc ? libdeflate_crc32(0, out.data(), out.size()) : 0u;
  };

  Check(ours(false) == data.size() && out == data, "ours");
  Check(ours(true) == expectedCrc, "our crc");
  const std::size_t n = data.size();
  const std::vector<double> rate =
      Measure(n, {[&] { ours(false); }, [&] { ours(true); }, [&] { zlib(false); }, [&] { zlib(true); },
                  [&] { libdeflate(false); }, [&] { libdeflate(true); }});
  libdeflate_free_decompressor(decompressor);
  std::printf("%-10s %6.1f %5.1f%% | %7.0f %7.0f | %7.0f %7.0f | %7.0f %7.0f | %5.2fx %5.2fx %5.2fx %5.2fx\n", name,
              n / 1e6, 100.0 * stream.size() / n, rate[0] / 1e6, rate[1] / 1e6, rate[2] / 1e6, rate[3] / 1e6,
              rate[4] / 1e6, rate[5] / 1e6, rate[0] / rate[2], rate[1] / rate[3], rate[0] / rate[4], rate[1] / rate[5]);
}

void BenchCrc(const Bytes& data) {
  const std::size_t n = data.size();
  std::printf("\nCRC-32, GB/s (median of %d) over %.0f MB\n", kRounds, n / 1e6);
  const bool clmul = kelvano::crc32::HasClmul();
  const std::vector<double> rate = Measure(
      n, {[&] { Keep(clmul ? kelvano::crc32::UpdateWithClmul(0, data.data(), n) : 0); },
          [&] { Keep(kelvano::crc32::UpdateWithTables(0, data.data(), n)); },
          [&] { Keep(kelvano::test::ZlibCrc32(data.data(), n)); }, [&] { Keep(libdeflate_crc32(0, data.data(), n)); }});
  if (clmul) {
    std::printf("  ours, carry-less multiply  %6.2f\n", rate[0] / 1e9);
  } else {
    std::printf("  ours, carry-less multiply  (not on this processor)\n");
  }
  std::printf("  ours, tables (slice-by-16) %6.2f\n", rate[1] / 1e9);
  std::printf("  zlib crc32                 %6.2f\n", rate[2] / 1e9);
  std::printf("  libdeflate_crc32           %6.2f\n", rate[3] / 1e9);
  std::printf("  (goal: 10 GB/s)\n");
}

}  // namespace

int main() {
  constexpr std::size_t kSize = 16 << 20;
  std::printf("Inflate, output MB/s (median of %d, processor time), raw deflate streams made by zlib level 6\n",
              kRounds);
  std::printf("%-10s %6s %6s | %7s %7s | %7s %7s | %7s %7s | %6s %6s %6s %6s\n", "data", "MB", "ratio", "ours", "+crc",
              "zlib", "+crc", "libdefl", "+crc", "o/zlib", "+crc", "o/libd", "+crc");
  BenchInflate("text", kelvano::test::SampleText(kSize));
  BenchInflate("binaries", kelvano::test::SampleBinary(kSize));
  BenchInflate("literals", kelvano::test::LiteralHeavy(kSize));
  BenchInflate("random", kelvano::test::RandomBytes(kSize));  // stored blocks
  std::printf("(goals: o/zlib 2.0x on text and binaries, 1.3x on literals)\n");
  BenchCrc(kelvano::test::RandomBytes(kSize));
  std::printf("\n(+crc: our CRC is fused, block by block; the peers' CRC is added after decoding)\n");
}
