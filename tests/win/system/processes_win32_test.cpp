// Running real programs under Wine: exit codes, missing programs, the working folder,
// the event pump during a long child, and the handles closed afterwards.
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "system/process_runner.h"
#include "system/system_info.h"
#include "system/text_encoding.h"
#include "system/win32/wide_text.h"
#include "system/win32/win32_processes.h"
#include "system/win32/win32_system_info.h"
#include "tests/support/temp_folder.h"
#include "tests/win/system/wine_test_helpers.h"

namespace kelvano::test {
namespace {

// The real seam, remembering the handles that it hands out.
class WatchedProcesses : public Win32Processes {
 public:
  long StartProcess(const ProcessStart& start, ProcessHandle& process, ProcessHandle& thread) override {
    const long status = Win32Processes::StartProcess(start, process, thread);
    if (status == 0) {
      handles.push_back({process, IdBehindHandle(process, false), false});
      handles.push_back({thread, IdBehindHandle(thread, true), true});
    }
    statuses.push_back(status);
    return status;
  }
  struct Handed {
    ProcessHandle handle;
    DWORD id;
    bool isThread;
  };
  std::vector<Handed> handles;
  std::vector<long> statuses;
};

// Processes the thread's messages as the window would, counting what it saw.
class MessagePump : public EventPump {
 public:
  void ProcessPendingEvents() override {
    ++pumps;
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_TIMER) ++timerMessages;
      DispatchMessageW(&message);
    }
  }
  int pumps = 0;
  int timerMessages = 0;
};

class WineProcesses : public ::testing::Test {
 protected:
  WineProcesses() : system_(systemSeam_) {}
  void TearDown() override {
    for (const auto& handed : processes_.handles) {
      ASSERT_NE(handed.id, 0u);
      EXPECT_NE(IdBehindHandle(handed.handle, handed.isThread), handed.id) << "a handle was left open";
    }
  }

  std::int32_t Run(const std::string& arguments, const std::string& folder = "") {
    return ProcessRunner(processes_, system_)
        .RunAndWait(Child() + " " + arguments, folder, process::kInheritCallerPriority, pump_);
  }
  static std::string Child() { return Quoted(BesideTest("kelvano_test_child.exe")); }

  WatchedProcesses processes_;
  Win32SystemInfo systemSeam_;
  SystemInfo system_;
  MessagePump pump_;
};

TEST_F(WineProcesses, ExitCodesComeBackAsTheProgramGaveThem) {
  EXPECT_EQ(Run("exit 0"), 0);
  EXPECT_EQ(Run("exit 3010"), 3010);
  EXPECT_EQ(Run("exit 1603"), 1603);
  EXPECT_EQ(Run("exit 0xC0000005"), static_cast<std::int32_t>(0xC0000005u));
  EXPECT_EQ(processes_.handles.size(), 8u);
}

TEST_F(WineProcesses, MissingProgramGivesMinusOneWithoutWaiting) {
  const std::string missing = Quoted(BesideTest("kelvano_no_such_program.exe")) + " /q";
  EXPECT_EQ(ProcessRunner(processes_, system_).RunAndWait(missing, "", 0x20000, pump_), -1);
  EXPECT_EQ(pump_.pumps, 0);
}

TEST_F(WineProcesses, EventsArePumpedWhileALongChildRuns) {
  const UINT_PTR timer = SetTimer(nullptr, 0, 50, nullptr);
  ASSERT_NE(timer, 0u);
  const DWORD started = GetTickCount();
  EXPECT_EQ(Run("sleep 500 exit 7"), 7);
  const DWORD elapsed = GetTickCount() - started;
  KillTimer(nullptr, timer);

  EXPECT_GE(elapsed, 450u) << "the runner waited for the child";
  EXPECT_GE(pump_.pumps, 10) << "events were processed all along the wait";
  EXPECT_GE(pump_.timerMessages, 3) << "the window's own messages reached it during the wait";
}

TEST_F(WineProcesses, ProgramRunsInTheGivenFolderAndStillRunsWhenTheFolderIsGone) {
  TempFolder folder;
  const std::string report = folder / "cwd.txt";
  ASSERT_EQ(Run("cwd " + Quoted(report) + " exit 0", folder.Path()), 0);
  const std::string written = folder.Read("cwd.txt");
  const std::wstring cwd(reinterpret_cast<const wchar_t*>(written.data()), written.size() / sizeof(wchar_t));
  EXPECT_TRUE(EqualsIgnoreAsciiCase(Narrow(cwd), folder.Path())) << Narrow(cwd) << " vs " << folder.Path();

  processes_.statuses.clear();
  EXPECT_EQ(Run("exit 4", folder / "gone"), 4);
  EXPECT_EQ(processes_.statuses, (std::vector<long>{ERROR_DIRECTORY, 0})) << "Windows refused the folder first";
}

}  // namespace
}  // namespace kelvano::test
