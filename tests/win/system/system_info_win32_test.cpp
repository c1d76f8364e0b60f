// The system answers against what Wine itself reports.
#include <windows.h>

#include <gtest/gtest.h>

#include "system/system_info.h"
#include "system/text_encoding.h"
#include "system/win32/win32_system_info.h"

namespace kelvano::test {
namespace {

class FailOnMessage : public MessageBoxSeam {
 public:
  MessageAnswer Show(const MessageBoxRequest& request) override {
    ADD_FAILURE() << request.text;
    return MessageAnswer::Ok;
  }
};

class WineSystemInfo : public ::testing::Test {
 protected:
  WineSystemInfo() : info_(seam_, messages_, "Setup") {}
  Win32SystemInfo seam_;
  FailOnMessage messages_;
  SystemInfo info_;
};

TEST_F(WineSystemInfo, VersionAnswersMatchWhatWineReports) {
  OSVERSIONINFOW wine = {};
  wine.dwOSVersionInfoSize = sizeof(wine);
  ASSERT_TRUE(GetVersionExW(&wine));
  EXPECT_TRUE(info_.IsWindowsNT());
  EXPECT_EQ(info_.IsWindowsXP(), wine.dwMajorVersion == 5 && wine.dwMinorVersion == 1);

  OsVersion version;
  ASSERT_EQ(seam_.QueryVersion(version), 0);
  EXPECT_EQ(version.platformId, wine.dwPlatformId);
  EXPECT_EQ(version.majorVersion, wine.dwMajorVersion);
  EXPECT_EQ(version.minorVersion, wine.dwMinorVersion);
  EXPECT_EQ(version.buildNumber, wine.dwBuildNumber);
}

TEST_F(WineSystemInfo, SixtyFourBitBuildKnowsItRunsOnSixtyFourBitWindows) {
  SYSTEM_INFO native = {};
  GetNativeSystemInfo(&native);
  ASSERT_EQ(native.wProcessorArchitecture, PROCESSOR_ARCHITECTURE_AMD64);
  BOOL wow64 = TRUE;
  ASSERT_TRUE(IsWow64Process(GetCurrentProcess(), &wow64));
  EXPECT_FALSE(wow64) << "Windows does not call a 64-bit program WOW64";
  EXPECT_TRUE(info_.IsWow64()) << "but the setup asks whether Windows is 64-bit";
}

TEST_F(WineSystemInfo, SystemFolderIsWinesWithoutATrailingBackslash) {
  wchar_t folder[MAX_PATH] = {};
  const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  ASSERT_GT(length, 0u);
  const std::string answer = info_.SystemFolder();
  EXPECT_EQ(answer, Narrow(std::wstring_view(folder, length)));
  EXPECT_TRUE(EqualsIgnoreAsciiCase(answer, "C:\\windows\\system32")) << answer;
}

}  // namespace
}  // namespace kelvano::test
