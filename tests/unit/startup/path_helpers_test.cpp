#include <gtest/gtest.h>
#include <unistd.h>

#include "startup/path_helpers.h"
#include "tests/support/temp_folder.h"

namespace kelvano::test {
namespace {

TEST(PathHelpers, JoinAndParent) {
  EXPECT_EQ(PathJoin("C:\\Setup", "Misc\\a.jpg"), "C:\\Setup\\Misc\\a.jpg");
  EXPECT_EQ(PathJoin("C:\\", "x"), "C:\\x");
  EXPECT_EQ(PathJoin("", "x"), "\\x");
  EXPECT_EQ(ParentFolder("C:\\a\\b.exe"), "C:\\a");
  EXPECT_EQ(ParentFolder("b.exe"), "b.exe");
  EXPECT_EQ(ParentFolder("C:\\"), "C:");
}

TEST(PathHelpers, FileExistsCountsOrdinaryFilesOnly) {
  TempFolder folder;
  folder.Write("Prerequisites\\dotnetfx48setup.exe", "MZ");
  folder.Write("Prerequisites\\.hidden.exe", "MZ");
  folder.MakeFolder("Prerequisites\\folder.msi");
  EXPECT_TRUE(FileExists(folder / "Prerequisites\\dotnetfx48setup.exe"));
  EXPECT_TRUE(FileExists(folder / "Prerequisites\\*.exe"));
  EXPECT_TRUE(FileExists(folder / "Prerequisites\\DOTNET*.EXE")) << "names ignore case, as on Windows";
  EXPECT_FALSE(FileExists(folder / "Prerequisites\\*.msi")) << "folders do not count";
  EXPECT_FALSE(FileExists(folder / "Prerequisites\\.hidden.exe")) << "hidden files do not count";
  EXPECT_FALSE(FileExists(folder / "Prerequisites\\missing.exe"));
  EXPECT_FALSE(FileExists(folder / "Missing\\*.exe"));
  EXPECT_FALSE(FileExists(""));
}

TEST(PathHelpers, DeleteFolderTreeRemovesEverythingButNeverFollowsLinks) {
  TempFolder folder;
  TempFolder outside;
  outside.Write("keep.txt", "precious");
  folder.Write("VLMInstaller\\Kelvano\\Setup\\Setup.exe", "MZ");
  folder.Write("VLMInstaller\\Kelvano\\.hidden", "x");
  folder.Write("VLMInstaller\\top.txt", "x");
  ASSERT_EQ(symlink(outside.Path().c_str(), (folder.Path() + "/VLMInstaller/link").c_str()), 0);

  DeleteFolderTree(folder / "VLMInstaller");
  EXPECT_FALSE(folder.Exists("VLMInstaller"));
  EXPECT_EQ(outside.Read("keep.txt"), "precious");

  DeleteFolderTree(folder / "does-not-exist");  // nothing happens
  EXPECT_TRUE(folder.Exists(""));
}

TEST(PathHelpers, ReadWholeFileAndAppFolder) {
  TempFolder folder;
  folder.Write("a.bin", std::string("x\0y", 3));
  EXPECT_EQ(ReadWholeFile(folder / "a.bin"), std::string("x\0y", 3));
  EXPECT_EQ(ReadWholeFile(folder / "missing.bin"), std::nullopt);
  const std::string app = AppFolder();
  EXPECT_FALSE(app.empty());
  EXPECT_NE(app.back(), '/');
}

}  // namespace
}  // namespace kelvano::test
