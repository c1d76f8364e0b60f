// download_bench URL TARGET [SHA256 | resume]: one download through the setup's
// Downloader and WinINet, as the setup makes it; prints the seconds it took, the
// processor seconds the process spent meanwhile (all its threads, the system's part
// included) and the bytes of body it received. "resume": broken transfers are tried
// again at once, resuming, as the setup's package source tries them (without its waits
// of 2, 4 and 8 s, which would measure only themselves).
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

#include "packages/download.h"
#include "packages/url_transfers.h"
#include "packages/win32/wininet_api.h"
#include "packages/win32/wininet_transfers.h"
#include "system/win32/wide_text.h"

namespace {

// The window's part: events processed, nothing shown.
class QuietWindow : public kelvano::RunState {
 public:
  bool InstallationRunning() const override { return false; }
  void SetInstallationRunning(bool) override {}
  void SetInstallationProgress(bool, const std::string&) override {}
  void SetDownloadProgress(const std::string&, std::uint64_t, std::uint64_t) override {}
  void CloseMainWindow() override {}
  kelvano::MessageAnswer ShowMessage(const kelvano::MessageBoxRequest&) override { return kelvano::MessageAnswer::Ok; }
  void SetBusyPointer(bool) override {}
  void ProcessPendingEvents() override {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
  }
};

// Counts the bytes of every body received, across the tries of a download.
class CountingTransfers : public kelvano::TransferSeam {
 public:
  explicit CountingTransfers(kelvano::TransferSeam& inner) : inner_(inner) {}
  std::unique_ptr<kelvano::Transfer> Start(const std::string& url, std::chrono::milliseconds idleLimit,
                                           const kelvano::TransferRange& range) override {
    return std::make_unique<Counted>(inner_.Start(url, idleLimit, range), received_);
  }
  unsigned long long Received() const { return received_; }

 private:
  class Counted : public kelvano::Transfer {
   public:
    Counted(std::unique_ptr<kelvano::Transfer> inner, unsigned long long& received)
        : inner_(std::move(inner)), received_(received) {}
    kelvano::TransferStep Next(std::chrono::milliseconds wait) override {
      kelvano::TransferStep step = inner_->Next(wait);
      if (step.kind == kelvano::TransferStep::Kind::Data) received_ += step.data.size();
      return step;
    }

   private:
    std::unique_ptr<kelvano::Transfer> inner_;
    unsigned long long& received_;
  };

  kelvano::TransferSeam& inner_;
  unsigned long long received_ = 0;
};

double ProcessorSeconds() {
  FILETIME created, exited, kernel, user;
  if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return 0;
  const auto ticks = [](const FILETIME& t) {
    return (static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
  };
  return static_cast<double>(ticks(kernel) + ticks(user)) / 1e7;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) return 2;
  QuietWindow window;
  kelvano::WinInetTransfers network;
  kelvano::UrlTransfers transfers(network);
  CountingTransfers counting(transfers);
  const bool resume = argc > 3 && std::wstring(argv[3]) == L"resume";
  kelvano::DownloadLimits limits;
  if (resume) limits.retryWaits.assign(3, std::chrono::milliseconds(0));
  kelvano::Downloader downloader(window, counting, limits);
  std::optional<std::string> sha256;
  if (argc > 3 && !resume) sha256 = kelvano::Narrow(argv[3]);
  // WinINet is loaded at the first download; a process loads it once, so not timed.
  kelvano::LoadWinInet();
  LARGE_INTEGER frequency, start, end;
  const double startCpu = ProcessorSeconds();
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  try {
    downloader.DownloadFile(kelvano::Narrow(argv[1]), kelvano::Narrow(argv[2]), sha256);
  } catch (const std::exception& failure) {
    std::fprintf(stderr, "%s\n", failure.what());
    return 1;
  }
  QueryPerformanceCounter(&end);
  std::printf("%.3f %.3f %llu\n", static_cast<double>(end.QuadPart - start.QuadPart) / frequency.QuadPart,
              ProcessorSeconds() - startCpu, counting.Received());
  return 0;
}
