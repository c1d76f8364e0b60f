// The removal of an installed product before its package runs.
#include "sequence/earlier_version_remover.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "startup/format_text.h"
#include "startup/messages.h"
#include "tests/support/recording_run_state.h"
#include "tests/support/staged_kit.h"
#include "tests/support/staged_machine.h"

namespace kelvano::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr char kCode[] = "{8E1F2A3B-0000-4C5D-9E6F-123456789ABC}";
const std::string kUninstallKey = std::string("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\") + kCode;

class RemoveEarlierVersion : public ::testing::Test {
 protected:
  bool Remove(const std::string& code) {
    return EarlierVersionRemover(kit.Context(), machine.Seams(), window).RemoveEarlierVersion(code);
  }
  StagedMachine machine;
  StagedKit kit{machine.registry, "PRODUCT=Kelvano\r\n"};
  RecordingRunState window;
};

TEST_F(RemoveEarlierVersion, AnInstalledProductIsRemovedQuietlyByMsiexecFromTheSystemFolder) {
  machine.SetValue(registry::kLocalMachine, kUninstallKey, "UninstallString", std::string("MsiExec.exe /I{X}"));
  const std::string msiexec = std::string("\"C:\\Windows\\system32\\msiexec.exe\" /qn /norestart /x") + kCode;
  machine.processes.AddProgram(msiexec, {.exitCode = 1603});
  EXPECT_TRUE(Remove(kCode)) << "whatever the exit code";
  ASSERT_EQ(machine.processes.Starts().size(), 1u);
  EXPECT_EQ(machine.processes.Starts()[0].commandLine, msiexec);
  EXPECT_EQ(machine.processes.Starts()[0].currentDirectory, "C:\\Windows\\system32");
  EXPECT_EQ(machine.processes.RunCount(), 1u) << "and it was waited for";
  EXPECT_THAT(window.Log(), ElementsAre("progress: " + FormatText(LoadMessage(135), "Kelvano"), "options"));
}

TEST_F(RemoveEarlierVersion, NothingRunsForAProductThatIsNotInstalledOrAnEmptyCode) {
  EXPECT_TRUE(Remove(kCode));
  EXPECT_THAT(window.Log(), ElementsAre("progress: " + FormatText(LoadMessage(135), "Kelvano"), "options"));
  EXPECT_TRUE(Remove(""));
  EXPECT_EQ(window.Log().size(), 2u) << "an empty code changes no page";
  EXPECT_THAT(machine.processes.Starts(), IsEmpty());
  EXPECT_EQ(machine.registry.OpenHandleCount(), 0u);
}

}  // namespace
}  // namespace kelvano::test
