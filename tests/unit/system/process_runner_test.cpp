#include "system/process_runner.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/support/memory_processes.h"
#include "tests/support/memory_system_info.h"
#include "system/setup_error.h"

namespace kelvano::test {
namespace {

using ::testing::_;
using ::testing::DoAll;
using ::testing::Return;
using ::testing::SetArgReferee;

class CountingPump : public EventPump {
 public:
  void ProcessPendingEvents() override { ++count; }
  int count = 0;
};

class RunAndWaitRules : public ::testing::Test {
 protected:
  explicit RunAndWaitRules(StagedSystem system = MemorySystemInfo::WindowsXp())
      : systemSeam_(std::move(system)), system_(systemSeam_) {}
  void TearDown() override { EXPECT_EQ(processes_.OpenHandleCount(), 0u) << "a handle was left open"; }

  std::int32_t Run(const std::string& commandLine, const std::string& folder = "C:\\Kit") {
    return ProcessRunner(processes_, system_).RunAndWait(commandLine, folder, 0x20000, pump_);
  }

  MemoryProcesses processes_;
  MemorySystemInfo systemSeam_;
  SystemInfo system_;
  CountingPump pump_;
};

TEST_F(RunAndWaitRules, ExitCodesComeBackAsTheProgramGaveThem) {
  processes_.AddProgram("ok.exe", {.exitCode = 0});
  processes_.AddProgram("reboot.exe", {.exitCode = 3010});
  processes_.AddProgram("one.exe", {.exitCode = 1});
  processes_.AddProgram("crash.exe", {.exitCode = 0xC0000005u});
  EXPECT_EQ(Run("ok.exe"), 0);
  EXPECT_EQ(Run("reboot.exe"), 3010);
  EXPECT_EQ(Run("one.exe"), 1);
  EXPECT_EQ(Run("crash.exe"), static_cast<std::int32_t>(0xC0000005u));
}

TEST_F(RunAndWaitRules, MissingProgramGivesMinusOneWithoutWaiting) {
  EXPECT_EQ(Run("\"C:\\Kit\\Nowhere.exe\" /q"), -1);
  EXPECT_EQ(processes_.WaitCount(), 0u);
  EXPECT_EQ(pump_.count, 0);
}

TEST_F(RunAndWaitRules, EventsArePumpedInEverySliceWhileTheProgramRuns) {
  int pumpsWhenEnded = -1;
  processes_.AddProgram("long.exe",
                        {.exitCode = 0, .runningSlices = 7, .onExit = [&] { pumpsWhenEnded = pump_.count; }});
  EXPECT_EQ(Run("long.exe"), 0);
  EXPECT_EQ(pumpsWhenEnded, 7) << "events were pumped while the program ran";
  EXPECT_EQ(pump_.count, 7) << "nothing is pumped after the end";
}

TEST_F(RunAndWaitRules, ProgramStartsInItsFolderInheritingHandlesWithTheCallersFlags) {
  processes_.AddProgram("msiexec.exe /qn /norestart /x{CODE}", {});
  Run("msiexec.exe /qn /norestart /x{CODE}", "C:\\Windows\\system32");
  ASSERT_EQ(processes_.Starts().size(), 1u);
  const ProcessStart& start = processes_.Starts()[0];
  EXPECT_EQ(start.commandLine, "msiexec.exe /qn /norestart /x{CODE}");
  EXPECT_EQ(start.currentDirectory, "C:\\Windows\\system32");
  EXPECT_TRUE(start.inheritHandles);
  EXPECT_EQ(start.creationFlags, 0x20000u);
}

TEST_F(RunAndWaitRules, FolderThatIsGoneStillLetsTheProgramRun) {
  processes_.AddProgram("setup.exe", {.exitCode = 5});
  processes_.RemoveFolder("C:\\Gone");
  EXPECT_EQ(Run("setup.exe", "C:\\Gone"), 5);
  ASSERT_EQ(processes_.Starts().size(), 2u);
  EXPECT_EQ(processes_.Starts()[1].currentDirectory, "");
}

class RunAndWaitOnOlderWindows : public RunAndWaitRules {
 protected:
  RunAndWaitOnOlderWindows() : RunAndWaitRules(MemorySystemInfo::Windows98()) {}
};

TEST_F(RunAndWaitOnOlderWindows, AnyExitCodeButZeroIsMinusOne) {
  processes_.AddProgram("ok.exe", {.exitCode = 0, .runningSlices = 3});
  processes_.AddProgram("reboot.exe", {.exitCode = 3010});
  EXPECT_EQ(Run("ok.exe"), 0);
  EXPECT_EQ(pump_.count, 3);
  EXPECT_EQ(Run("reboot.exe"), -1);
}

TEST_F(RunAndWaitOnOlderWindows, ProgramThatCannotStartRaisesFileNotFound) {
  try {
    Run("missing.exe");
    FAIL() << "expected an error";
  } catch (const SetupError& error) {
    EXPECT_EQ(error.Number(), 53);
  }
}

class MockProcessSeam : public ProcessSeam {
 public:
  MOCK_METHOD(long, StartProcess, (const ProcessStart&, ProcessHandle&, ProcessHandle&), (override));
  MOCK_METHOD(long, ShellStart, (const std::string&, std::uint32_t&), (override));
  MOCK_METHOD(long, OpenProcessById, (std::uint32_t, bool, std::uint32_t, ProcessHandle&), (override));
  MOCK_METHOD(std::uint32_t, WaitForProcessOrInput, (ProcessHandle, std::uint32_t), (override));
  MOCK_METHOD(long, GetExitCode, (ProcessHandle, std::uint32_t&), (override));
  MOCK_METHOD(long, Close, (ProcessHandle), (override));
};

class RunAndWaitCalls : public ::testing::Test {
 protected:
  RunAndWaitCalls() : systemSeam_(MemorySystemInfo::Windows10(true)), system_(systemSeam_) {
    ON_CALL(seam_, StartProcess(_, _, _))
        .WillByDefault(DoAll(SetArgReferee<1>(ProcessHandle{100}), SetArgReferee<2>(ProcessHandle{200}), Return(0)));
    EXPECT_CALL(seam_, Close(ProcessHandle{100}));
    EXPECT_CALL(seam_, Close(ProcessHandle{200}));
  }
  std::int32_t Run() { return ProcessRunner(seam_, system_).RunAndWait("setup.exe", "", 0x20000, pump_); }

  ::testing::NiceMock<MockProcessSeam> seam_;
  MemorySystemInfo systemSeam_;
  SystemInfo system_;
  CountingPump pump_;
};

TEST_F(RunAndWaitCalls, WaitsInTwentyMillisecondSlicesPumpingOnTimeoutAndInput) {
  EXPECT_CALL(seam_, WaitForProcessOrInput(ProcessHandle{100}, 20u))
      .WillOnce(Return(process::kWaitTimeout))
      .WillOnce(Return(process::kWaitInput))
      .WillOnce(Return(0x80u))  // anything else: wait again without pumping
      .WillOnce(Return(process::kWaitObject0));
  EXPECT_CALL(seam_, GetExitCode(ProcessHandle{100}, _)).WillOnce(DoAll(SetArgReferee<1>(0u), Return(0)));
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(pump_.count, 2);
}

TEST_F(RunAndWaitCalls, FailedWaitReportsWhatWindowsSaysOfTheProcess) {
  EXPECT_CALL(seam_, WaitForProcessOrInput(_, _)).WillOnce(Return(process::kWaitFailed));
  EXPECT_CALL(seam_, GetExitCode(_, _)).WillOnce(DoAll(SetArgReferee<1>(process::kStillActive), Return(0)));
  EXPECT_EQ(Run(), 259);
}

TEST_F(RunAndWaitCalls, ExitCodeThatCannotBeReadIsNoSuccess) {
  EXPECT_CALL(seam_, WaitForProcessOrInput(_, _)).WillOnce(Return(process::kWaitObject0));
  EXPECT_CALL(seam_, GetExitCode(_, _)).WillOnce(Return(windows_error::kInvalidHandle));
  EXPECT_EQ(Run(), -1);
}

TEST(RunAndWaitOlderCalls, OpensTheProcessForSynchronizingOnly) {
  MemorySystemInfo systemSeam(MemorySystemInfo::Windows98());
  const SystemInfo system(systemSeam);
  ::testing::NiceMock<MockProcessSeam> seam;
  CountingPump pump;
  EXPECT_CALL(seam, ShellStart("setup.exe /q", _)).WillOnce(DoAll(SetArgReferee<1>(77u), Return(0)));
  EXPECT_CALL(seam, OpenProcessById(0x100000u, true, 77u, _)).WillOnce(Return(5));
  EXPECT_CALL(seam, WaitForProcessOrInput(_, _)).Times(0);
  EXPECT_EQ(ProcessRunner(seam, system).RunAndWait("setup.exe /q", "", 0x20000, pump), -1);
}

}  // namespace
}  // namespace kelvano::test
