// download_bench URL TARGET [SHA256]: one download through the setup's Downloader and
// WinINet, as the setup makes it; prints the seconds it took and the processor seconds
// the process spent meanwhile (all its threads, the system's part included).
#include <windows.h>

#include <cstdio>

#include "packages/download.h"
#include "packages/url_transfers.h"
#include "packages/win32/wininet_transfers.h"
#include "system/text_encoding.h"

namespace {

// The window's part: events processed, nothing shown.
class QuietWindow : public kelvano::RunState {
 public:
  bool InstallationRunning() const override { return false; }
  void SetInstallationRunning(bool) override {}
  void SetInstallationProgress(bool, const std::string&) override {}
  void SetDownloadProgress(const std::string&) override {}
  void CloseMainWindow() override {}
  kelvano::MessageAnswer ShowMessage(const kelvano::MessageBoxRequest&) override { return kelvano::MessageAnswer::Ok; }
  void SetBusyPointer(bool) override {}
  void ProcessPendingEvents() override {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
  }
};

double ProcessorSeconds() {
  FILETIME created, exited, kernel, user;
  if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return 0;
  const auto ticks = [](const FILETIME& t) { return (static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
  return static_cast<double>(ticks(kernel) + ticks(user)) / 1e7;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) return 2;
  QuietWindow window;
  kelvano::WinInetTransfers network;
  kelvano::UrlTransfers transfers(network);
  kelvano::Downloader downloader(window, transfers);
  std::optional<std::string> sha256;
  if (argc > 3) sha256 = kelvano::Narrow(argv[3]);
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
  std::printf("%.3f %.3f\n", static_cast<double>(end.QuadPart - start.QuadPart) / frequency.QuadPart,
              ProcessorSeconds() - startCpu);
  return 0;
}
