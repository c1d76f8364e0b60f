// Start-up's Windows side under Wine: files and attributes, the executable's folder,
// the single-instance lock across processes, pictures, the DLL search order and the
// ANSI code page of settings.ini.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>

#include "startup/path_helpers.h"
#include "startup/settings.h"
#include "startup/win32/win32_startup.h"
#include "system/win32/dll_search.h"
#include "system/win32/wide_text.h"
#include "system/win32/win32_message_box.h"
#include "tests/support/temp_folder.h"
#include "tests/support/win32/run_program.h"

namespace kelvano::test {
namespace {

void SetAttributes(const std::string& path, DWORD attributes) {
  ASSERT_TRUE(SetFileAttributesW(Widen(path).c_str(), attributes)) << path;
}

DWORD RunProbe(const std::string& lockedPath) {
  const std::wstring probe = Widen(PathJoin(AppFolder(), "lock_probe.exe"));
  return RunProgram(L"\"" + probe + L"\" \"" + Widen(lockedPath) + L"\"", nullptr, 30000).value_or(99);
}

TEST(WindowsFiles, HiddenAndSystemFilesDoNotExist) {
  TempFolder folder;
  folder.Write("plain.exe", "MZ");
  folder.Write("readonly.exe", "MZ");
  folder.Write("hidden.exe", "MZ");
  folder.Write("system.exe", "MZ");
  SetAttributes(folder / "readonly.exe", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE);
  SetAttributes(folder / "hidden.exe", FILE_ATTRIBUTE_HIDDEN);
  SetAttributes(folder / "system.exe", FILE_ATTRIBUTE_SYSTEM);
  EXPECT_TRUE(FileExists(folder / "plain.exe"));
  EXPECT_TRUE(FileExists(folder / "readonly.exe"));
  EXPECT_FALSE(FileExists(folder / "hidden.exe"));
  EXPECT_FALSE(FileExists(folder / "system.exe"));
  EXPECT_TRUE(FileExists(folder / "*.exe"));
  EXPECT_FALSE(FileExists(folder / "h*.exe"));
  EXPECT_FALSE(FileExists(folder.Path()));
  EXPECT_FALSE(FileExists("Q:\\no\\such\\drive.exe"));
  EXPECT_FALSE(FileExists(folder / "bad<name>.exe"));
  SetAttributes(folder / "readonly.exe", FILE_ATTRIBUTE_NORMAL);
}

TEST(WindowsFiles, DeleteFolderTreeLeavesOnlyWhatItCannotDelete) {
  TempFolder folder;
  folder.Write("Tree\\a\\b\\deep.txt", "x");
  folder.Write("Tree\\hidden.txt", "x");
  SetAttributes(folder / "Tree\\hidden.txt", FILE_ATTRIBUTE_HIDDEN);
  DeleteFolderTree(folder / "Tree");
  EXPECT_FALSE(folder.Exists("Tree"));

  folder.Write("Kept\\system.txt", "x");
  folder.Write("Kept\\other.txt", "x");
  SetAttributes(folder / "Kept\\system.txt", FILE_ATTRIBUTE_SYSTEM);
  DeleteFolderTree(folder / "Kept");
  EXPECT_TRUE(folder.Exists("Kept\\system.txt")) << "system entries are not listed, so the folder stays";
  EXPECT_FALSE(folder.Exists("Kept\\other.txt"));
  SetAttributes(folder / "Kept\\system.txt", FILE_ATTRIBUTE_NORMAL);
}

TEST(WindowsFiles, AppFolderIsTheExecutablesFolder) {
  const std::string folder = AppFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_NE(folder.back(), '\\');
  EXPECT_TRUE(FileExists(PathJoin(folder, "win_startup.exe")));
}

TEST(SingleInstance, ASecondInstanceOfTheSameExecutableIsRefused) {
  const std::string path = "C:\\Kit\\Setup.exe";
  {
    Win32InstanceLock first(path);
    ASSERT_FALSE(first.AnotherInstanceRuns());
    EXPECT_EQ(RunProbe(path), 1u) << "another process sees the running instance";
    EXPECT_EQ(RunProbe("c:\\KIT\\setup.EXE"), 1u) << "the same path in other letter case";
    EXPECT_EQ(RunProbe("D:\\Other\\Setup.exe"), 0u) << "another setup is not affected";
  }
  EXPECT_EQ(RunProbe(path), 0u) << "the lock ends with its instance";
}

TEST(Pictures, JpegLoadsAndBadFilesGiveNothing) {
  Win32PictureLoader loader;
  const auto picture = loader.Load(PathJoin(AppFolder(), "sample.jpg"));
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(picture->Width(), 40);
  EXPECT_EQ(picture->Height(), 30);
  TempFolder folder;
  folder.Write("broken.jpg", "this is no picture");
  EXPECT_EQ(loader.Load(folder / "broken.jpg"), nullptr);
  EXPECT_EQ(loader.Load(folder / "missing.jpg"), nullptr);
}

TEST(DllSearch, ADllBesideTheSetupIsNotLoadedOnceRestricted) {
  ASSERT_TRUE(FileExists(PathJoin(AppFolder(), "planted.dll")));
  HMODULE before = LoadLibraryW(L"planted.dll");
  ASSERT_NE(before, nullptr) << "without protection the application folder is searched";
  FreeLibrary(before);

  EXPECT_NE(RestrictDllSearchToSystemFolder(), DllSearchProtection::None);
  HMODULE after = LoadLibraryW(L"planted.dll");
  EXPECT_EQ(after, nullptr);
  if (after != nullptr) FreeLibrary(after);
  HMODULE system = LoadLibraryW(L"version.dll");
  EXPECT_NE(system, nullptr) << "system DLLs still load";
  if (system != nullptr) FreeLibrary(system);

  EXPECT_EQ(LoadSystemLibrary("planted.dll"), nullptr) << "only the system folder's DLLs";
  HMODULE loaded = LoadSystemLibrary("wininet.dll");
  EXPECT_NE(loaded, nullptr);
  if (loaded != nullptr) FreeLibrary(loaded);
}

TEST(MessageBoxes, OneThatWindowsCannotShowIsLoggedAndNeverAgreesToAQuestion) {
  SetupLog log([] { return std::string(); });
  // Owned by a window that does not exist, MessageBoxW shows nothing and fails.
  Win32MessageBox boxes(reinterpret_cast<void*>(static_cast<std::uintptr_t>(0x1234)), &log);
  const auto request = [](MessageButtons buttons) {
    return MessageBoxRequest{"Install?", "Setup", MessageIcon::Question, buttons};
  };
  EXPECT_EQ(boxes.Show(request(MessageButtons::YesNo)), MessageAnswer::No);
  EXPECT_EQ(boxes.Show(request(MessageButtons::RetryCancel)), MessageAnswer::Cancel);
  EXPECT_EQ(boxes.Show(request(MessageButtons::Ok)), MessageAnswer::Ok);
  ASSERT_EQ(log.Events().size(), 3u);
  EXPECT_EQ(log.Events()[0].rfind("message box could not be shown (error ", 0), 0u) << log.Events()[0];
  EXPECT_NE(log.Events()[0].find("taken as No: Install?"), std::string::npos) << log.Events()[0];
}

TEST(SettingsFile, IsReadInTheSystemsAnsiCodePageWhenNotUtf8) {
  if (GetACP() != 1252) GTEST_SKIP() << "the test text is Windows-1252";
  TempFolder folder;
  folder.Write("settings.ini", "NETWORK=Caff\xE8\r\n");
  EXPECT_EQ(ReadSettingIn(folder.Path(), "NETWORK"), "Caffè");
}

}  // namespace
}  // namespace kelvano::test
