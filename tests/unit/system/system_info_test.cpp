#include "system/system_info.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "system/cpu_features.h"
#include "tests/support/memory_system_info.h"

namespace kelvano::test {
namespace {

using ::testing::_;
using ::testing::AllOf;
using ::testing::Field;
using ::testing::Return;

class MockMessageBox : public MessageBoxSeam {
 public:
  MOCK_METHOD(MessageAnswer, Show, (const MessageBoxRequest&), (override));
};

struct Answers {
  bool nt;
  bool xp;
  bool wow64;
  std::string systemFolder;
};

Answers Ask(StagedSystem system) {
  MemorySystemInfo seam(std::move(system));
  const SystemInfo info(seam);
  return {info.IsWindowsNT(), info.IsWindowsXP(), info.IsWow64(), info.SystemFolder()};
}

TEST(SystemInfoAnswers, OnlyVersionFiveOneOfTheNtFamilyIsWindowsXp) {
  const Answers xp = Ask(MemorySystemInfo::WindowsXp());
  EXPECT_TRUE(xp.nt);
  EXPECT_TRUE(xp.xp);
  EXPECT_FALSE(xp.wow64);
  EXPECT_EQ(xp.systemFolder, "C:\\WINDOWS\\system32");

  EXPECT_FALSE(Ask(MemorySystemInfo::WindowsServer2003x64()).xp) << "5.2";
  EXPECT_FALSE(Ask(MemorySystemInfo::Windows2000()).xp) << "5.0";
  EXPECT_FALSE(Ask(MemorySystemInfo::Windows10(true)).xp);
  StagedSystem me = MemorySystemInfo::Windows98();
  me.version = {os::kPlatformWindows, 5, 1, 0, ""};
  EXPECT_FALSE(Ask(me).xp) << "5.1 outside the NT family";
}

TEST(SystemInfoAnswers, NtFamilyIsPlatformTwo) {
  EXPECT_TRUE(Ask(MemorySystemInfo::Windows2000()).nt);
  EXPECT_TRUE(Ask(MemorySystemInfo::Windows10(false)).nt);
  EXPECT_FALSE(Ask(MemorySystemInfo::Windows98()).nt);
}

TEST(SystemInfoAnswers, Wow64OnlyOn64BitWindowsAndFalseWithoutTheFunction) {
  EXPECT_TRUE(Ask(MemorySystemInfo::Windows10(true)).wow64);
  EXPECT_TRUE(Ask(MemorySystemInfo::WindowsServer2003x64()).wow64);
  EXPECT_FALSE(Ask(MemorySystemInfo::Windows10(false)).wow64);
  EXPECT_FALSE(Ask(MemorySystemInfo::Windows2000()).wow64);
  StagedSystem odd = MemorySystemInfo::Windows2000();
  odd.wow64 = true;  // an answer that the missing function could never give
  EXPECT_FALSE(Ask(odd).wow64);
}

TEST(SystemInfoAnswers, UnreadableVersionIsNeitherNtNorXp) {
  StagedSystem broken = MemorySystemInfo::WindowsXp();
  broken.versionFails = true;
  MemorySystemInfo seam(broken);
  const SystemInfo info(seam);
  EXPECT_FALSE(info.IsWindowsXP());
  EXPECT_FALSE(info.IsWindowsNT());
}

TEST(SystemInfoAnswers, AtStartUpAnUnreadableVersionTellsTheUserAndEndsTheSetup) {
  MemorySystemInfo seam(MemorySystemInfo::WindowsXp());
  ::testing::StrictMock<MockMessageBox> messages;  // nothing to say on a readable version
  EXPECT_TRUE(RequireWindowsVersion(SystemInfo(seam), messages, "Setup"));

  seam.Staged().versionFails = true;
  EXPECT_CALL(messages, Show(AllOf(Field(&MessageBoxRequest::text, "Error Getting Version Information"),
                                   Field(&MessageBoxRequest::caption, "Setup"),
                                   Field(&MessageBoxRequest::icon, MessageIcon::None),
                                   Field(&MessageBoxRequest::buttons, MessageButtons::Ok))))
      .WillOnce(Return(MessageAnswer::Ok));
  EXPECT_FALSE(RequireWindowsVersion(SystemInfo(seam), messages, "Setup"));
}

TEST(SystemInfoAnswers, TheAnswersAreReadOnceAndDoNotFollowLaterChanges) {
  MemorySystemInfo seam(MemorySystemInfo::WindowsXp());
  seam.Staged().environment["TEMP"] = "C:\\Temp\\";
  const SystemInfo info(seam);
  seam.Staged() = MemorySystemInfo::Windows10(true);
  EXPECT_TRUE(info.IsWindowsXP());
  EXPECT_FALSE(info.IsWow64());
  EXPECT_EQ(info.TemporaryFolder(), "C:\\Temp");
}

// Held against the compiler's own detection, which asks the processor its own way.
TEST(ThisCpu, AgreesWithTheCompilersDetection) {
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
  __builtin_cpu_init();
  const CpuFeatures& cpu = ThisCpu();
  const struct {
    const char* name;
    bool ours, compilers;  // (the compiler's takes a literal name only)
  } features[] = {{"ssse3", cpu.ssse3, __builtin_cpu_supports("ssse3") != 0},
                  {"sse4.1", cpu.sse41, __builtin_cpu_supports("sse4.1") != 0},
                  {"pclmul", cpu.pclmul, __builtin_cpu_supports("pclmul") != 0},
                  {"bmi", cpu.bmi1, __builtin_cpu_supports("bmi") != 0},
                  {"bmi2", cpu.bmi2, __builtin_cpu_supports("bmi2") != 0},
                  {"sha", cpu.sha, __builtin_cpu_supports("sha") != 0}};
  for (const auto& feature : features) EXPECT_EQ(feature.ours, feature.compilers) << feature.name;
#else
  GTEST_SKIP() << "no x86 processor to ask";
#endif
}

}  // namespace
}  // namespace kelvano::test
