// wait_bench: how long RunAndWait takes to return after the program it waits for has
// ended. The child (this program with "child FILE") writes the time of its end; the
// parent reads the time when RunAndWait has returned. Prints the median of 50 runs and
// the slowest, in milliseconds.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "system/process_runner.h"
#include "system/win32/wide_text.h"
#include "system/win32/win32_processes.h"
#include "system/win32/win32_system_info.h"

namespace {

class Pump : public kelvano::EventPump {
 public:
  void ProcessPendingEvents() override {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
  }
};

long long Now() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return now.QuadPart;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc == 3 && std::wstring(argv[1]) == L"child") {
    // Busy for a while, so that the parent is inside its waiting slices, then the end.
    Sleep(30);
    const long long end = Now();
    FILE* out = _wfopen(argv[2], L"wb");
    std::fwrite(&end, sizeof end, 1, out);
    std::fclose(out);
    ExitProcess(0);
  }
  wchar_t self[MAX_PATH], temp[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  GetTempPathW(MAX_PATH, temp);
  const std::wstring stamp = std::wstring(temp) + L"kelvano-wait-bench.bin";
  kelvano::Win32Processes processes;
  kelvano::Win32SystemInfo systemSeam;
  const kelvano::SystemInfo system(systemSeam);
  Pump pump;
  kelvano::ProcessRunner runner(processes, system);
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  std::vector<double> delays;
  for (int i = 0; i < 50; ++i) {
    const std::string command = "\"" + kelvano::Narrow(self) + "\" child \"" + kelvano::Narrow(stamp) + "\"";
    runner.RunAndWait(command, "", 0x20000, pump);
    const long long returned = Now();
    long long ended = 0;
    FILE* in = _wfopen(stamp.c_str(), L"rb");
    if (in == nullptr || std::fread(&ended, sizeof ended, 1, in) != 1) return 1;
    std::fclose(in);
    delays.push_back(1000.0 * static_cast<double>(returned - ended) / frequency.QuadPart);
  }
  DeleteFileW(stamp.c_str());
  std::sort(delays.begin(), delays.end());
  std::printf("%.3f %.3f\n", delays[delays.size() / 2], delays.back());
  return 0;
}
