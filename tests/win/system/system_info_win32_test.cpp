// The system answers against what Wine itself reports.
#include <windows.h>

#include <gtest/gtest.h>

#include "system/system_info.h"
#include "system/text_encoding.h"
#include "system/win32/wide_text.h"
#include "system/win32/win32_system_info.h"
#include "tests/support/temp_folder.h"
#include "tests/support/win32/run_program.h"
#include "tests/win/system/wine_test_helpers.h"

namespace kelvano::test {
namespace {

// Runs the probe while Wine pretends, for that program alone, to be wineVersion
// ("win2003", "win7"...), and returns its answers "nt xp wow64 major.minor".
std::string ProbeAs(const std::wstring& wineVersion) {
  const std::wstring key = L"Software\\Wine\\AppDefaults\\kelvano_system_probe.exe";
  HKEY appDefaults = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &appDefaults, nullptr) !=
      ERROR_SUCCESS) {
    return "no AppDefaults key";
  }
  RegSetValueExW(appDefaults, L"Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(wineVersion.c_str()),
                 static_cast<DWORD>((wineVersion.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(appDefaults);

  TempFolder folder;
  RunProgram(Widen(Quoted(BesideTest("kelvano_system_probe.exe")) + " " + Quoted(folder / "answers.txt")), nullptr,
             30000);
  RegDeleteKeyW(HKEY_CURRENT_USER, key.c_str());
  return folder.Read("answers.txt");
}

class WineSystemInfo : public ::testing::Test {
 protected:
  WineSystemInfo() : info_(seam_) {}
  Win32SystemInfo seam_;
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

TEST(WineVersions, OnlyWindowsXpItselfIsXp) {
  const std::string wow64 = OnSixtyFourBitWindows() ? "1" : "0";
  EXPECT_EQ(ProbeAs(L"winxp"), "1 1 " + wow64 + " 5.1");
  EXPECT_EQ(ProbeAs(L"win2k"), "1 0 " + wow64 + " 5.0");
  EXPECT_EQ(ProbeAs(L"win2003"), "1 0 " + wow64 + " 5.2");
  EXPECT_EQ(ProbeAs(L"win7"), "1 0 " + wow64 + " 6.1");
  // Without a manifest naming Windows 10, Windows 10 says it is 6.2.
  EXPECT_EQ(ProbeAs(L"win10"), "1 0 " + wow64 + " 6.2");
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
