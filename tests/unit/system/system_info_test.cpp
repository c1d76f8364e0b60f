#include "system/system_info.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

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
  ::testing::StrictMock<MockMessageBox> messages;  // no message on a readable version
  SystemInfo info(seam, messages, "Setup");
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

TEST(SystemInfoAnswers, UnreadableVersionIsNotXpWithoutAnyMessage) {
  StagedSystem broken = MemorySystemInfo::WindowsXp();
  broken.versionFails = true;
  MemorySystemInfo seam(broken);
  ::testing::StrictMock<MockMessageBox> messages;
  EXPECT_FALSE(SystemInfo(seam, messages, "Setup").IsWindowsXP());
}

TEST(SystemInfoAnswers, UnreadableVersionTellsTheUserAndEndsTheProgramAtOnce) {
  StagedSystem broken = MemorySystemInfo::WindowsXp();
  broken.versionFails = true;
  MemorySystemInfo seam(broken);
  MockMessageBox messages;
  EXPECT_CALL(messages, Show(AllOf(Field(&MessageBoxRequest::text, "Error Getting Version Information"),
                                   Field(&MessageBoxRequest::caption, "Setup"),
                                   Field(&MessageBoxRequest::icon, MessageIcon::None),
                                   Field(&MessageBoxRequest::buttons, MessageButtons::Ok))))
      .WillOnce(Return(MessageAnswer::Ok));
  SystemInfo info(seam, messages, "Setup");
  EXPECT_THROW(info.IsWindowsNT(), ProcessEnded);
}

}  // namespace
}  // namespace kelvano::test
