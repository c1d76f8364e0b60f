// The small rules under the directory walk: DOS dates, overlapping
// members, and folder creation.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "unzip/folder_path.h"
#include "unzip/member_overlaps.h"
#include "tests/support/memory_zip_file_system.h"
#include "unzip/zip_records.h"

namespace kelvano {
namespace {

using ::testing::ElementsAre;

TEST(ZipRecords, DosDatesBecomeLocalDateTimes) {
  EXPECT_EQ(DosToDate(0, 0), DateTime{}) << "no date";
  EXPECT_EQ(DosToDate(0x0021, 0), (DateTime{1980, 1, 1, 0, 0, 0}));
  EXPECT_EQ(DosToDate(0xFF9F, 0xBF7D), (DateTime{2107, 12, 31, 23, 59, 58}));
  EXPECT_EQ(DosToDate(0x0000 | 13 << 5 | 1, 0), DateTime{}) << "month 13";
  EXPECT_EQ(DosToDate((2023 - 1980) << 9 | 2 << 5 | 29, 0), DateTime{}) << "29 February 2023";
}

TEST(ZipRecords, FindsEveryMemberThatSharesBytes) {
  EXPECT_THAT(FindOverlaps({{0, 10}, {10, 20}, {20, 30}}), ElementsAre(false, false, false));
  EXPECT_THAT(FindOverlaps({{0, 100}, {10, 20}, {50, 60}, {100, 110}}), ElementsAre(true, true, true, false));
  EXPECT_THAT(FindOverlaps({{40, 50}, {0, 30}, {29, 41}}), ElementsAre(true, true, true));
  EXPECT_THAT(FindOverlaps({{5, 5}, {0, 10}}), ElementsAre(false, false)) << "an unknown range takes no part";
}

TEST(ZipRecords, CreatesMissingParentFolders) {
  MemoryZipFileSystem files;
  files.AddFolder("C:");
  EXPECT_TRUE(CreateFolderPath(files, "C:\\a\\b\\c\\"));
  EXPECT_THAT(files.Folders(), ElementsAre("C:", "C:\\a", "C:\\a\\b", "C:\\a\\b\\c"));
  EXPECT_TRUE(CreateFolderPath(files, "C:\\a\\b"));
  EXPECT_TRUE(CreateFolderPath(files, ""));
  files.AddFile("C:\\file", "");
  EXPECT_FALSE(CreateFolderPath(files, "C:\\file\\sub"));
}

}  // namespace
}  // namespace kelvano
