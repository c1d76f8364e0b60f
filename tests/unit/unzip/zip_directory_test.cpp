// Reading an archive's directory: the end record and its comment, the central
// records with their fields, Zip64, and directories that lie about themselves.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/support/zip_builder.h"
#include "tests/unit/unzip/zip_in_memory.h"

namespace kelvano::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Pair;

using ZipDirectory = InMemoryZip;

TEST_F(ZipDirectory, ReadsEveryFieldOfTheCentralRecords) {
  ZipMember tool = ZipMember::Stored("bin/tool.exe", "MZ");
  tool.versionMadeBy = 63;
  tool.systemMadeBy = 3;
  tool.versionNeeded = 20;
  tool.flags = 0x0002;
  tool.dosDate = (2000 - 1980) << 9 | 2 << 5 | 29;  // a leap day
  tool.dosTime = 23 << 11 | 59 << 5 | 58 / 2;
  tool.externalAttributes = 0x81ED0000;
  tool.extra = std::string("\x55\x54\x05\x00\x01\x00\x00\x00\x00", 9);
  tool.comment = "the tool";
  ASSERT_TRUE(
      Init(ZipBuilder().Add(ZipMember::Stored("first", "1")).Add(tool).Add(ZipMember::Folder("docs/")).Build()));

  ASSERT_EQ(zip_.Count(), 3);
  const ZipEntry& entry = zip_.Entries()[1];
  EXPECT_EQ(entry.madeBySystem, "3");
  EXPECT_EQ(entry.madeByVersion, "6.3");
  EXPECT_EQ(entry.neededSystem, "0");
  EXPECT_EQ(entry.neededVersion, "2.0");
  EXPECT_EQ(entry.flags, 0x0002);
  EXPECT_EQ(entry.method, 0);
  EXPECT_EQ(entry.modified, (DateTime{2000, 2, 29, 23, 59, 58}));
  EXPECT_EQ(entry.crc32, TestCrc32("MZ"));
  EXPECT_EQ(entry.compressedSize, 2u);
  EXPECT_EQ(entry.uncompressedSize, 2u);
  EXPECT_EQ(entry.externalAttributes, 0x81ED0000u);
  EXPECT_EQ(entry.localHeaderOffset, 36u);  // after "first": 30 + 5 + 1
  EXPECT_EQ(entry.fileName, "bin\\tool.exe");
  EXPECT_FALSE(entry.isDirectory);
  EXPECT_EQ(std::string(entry.extra.begin(), entry.extra.end()), tool.extra);
  EXPECT_EQ(entry.fileComment, "the tool");
  EXPECT_TRUE(zip_.Entries()[2].isDirectory);
  EXPECT_EQ(zip_.Entries()[2].fileName, "docs\\");
  EXPECT_EQ(zip_.Entries()[0].modified, (DateTime{2025, 9, 1, 12, 0, 0}));
  EXPECT_THAT(errors_, IsEmpty());
}

TEST_F(ZipDirectory, FindsTheEndRecordBehindCommentsAndTrailingBytes) {
  const std::string longest(65535, 'c');
  for (const std::string& comment : {std::string("Kelvano 2025"), longest}) {
    ASSERT_TRUE(Init(ZipBuilder().Add(ZipMember::Stored("a.txt", "a")).Comment(comment).Build()));
    EXPECT_EQ(zip_.Comments(), comment);
    EXPECT_EQ(zip_.Count(), 1);
  }
  // A comment that itself holds an end record's signature does not mislead the search.
  const std::string decoy = std::string("PK\x05\x06", 4) + std::string(16, '\0') + "\xFF\xFF and more";
  ASSERT_TRUE(Init(ZipBuilder().Add(ZipMember::Stored("a.txt", "a")).Comment(decoy).Build()));
  EXPECT_EQ(zip_.Count(), 1);
  // Bytes appended after the archive.
  ASSERT_TRUE(Init(ZipBuilder().Add(ZipMember::Stored("a.txt", "a")).Trailing("signature block").Build()));
  EXPECT_EQ(zip_.Count(), 1);
  EXPECT_THAT(errors_, IsEmpty());
}

TEST_F(ZipDirectory, MembersWithDataDescriptorsOpenAndExtract) {
  for (const std::string& comment : {std::string(), std::string("with a comment")}) {
    ZipMember streamed = ZipMember::Stored("streamed.txt", "written by a stream");
    streamed.dataDescriptor = true;
    ASSERT_TRUE(Init(ZipBuilder().Add(streamed).Add(ZipMember::Stored("b.txt", "b")).Comment(comment).Build()));
    EXPECT_TRUE(zip_.Unzip("out"));
    EXPECT_EQ(Content("out\\streamed.txt"), "written by a stream");
    EXPECT_EQ(Content("out\\b.txt"), "b");
  }
  EXPECT_THAT(errors_, IsEmpty());
}

TEST_F(ZipDirectory, NamesFlaggedAsUtf8AreUtf8AndOthersOem) {
  ZipMember utf8 = ZipMember::Stored("caf\xC3\xA9/\xE2\x82\xAC.txt", "u");
  utf8.flags = 1 << 11;
  ZipMember oem = ZipMember::Stored("M\x81nchen.txt", "o");      // 0x81 is "ü" in code page 437
  ZipMember broken = ZipMember::Stored("bad\xC0\xAF.txt", "b");  // an overlong "/" must not become one
  broken.flags = 1 << 11;
  ASSERT_TRUE(Init(ZipBuilder().Add(utf8).Add(oem).Add(broken).Build()));
  EXPECT_EQ(zip_.Entries()[0].fileName, "caf\xC3\xA9\\\xE2\x82\xAC.txt");
  EXPECT_EQ(zip_.Entries()[1].fileName, "M\xC3\xBCnchen.txt");
  EXPECT_EQ(zip_.Entries()[2].fileName.find('\\'), std::string::npos);
  EXPECT_TRUE(zip_.Unzip("out"));
  EXPECT_EQ(Content("out\\caf\xC3\xA9\\\xE2\x82\xAC.txt"), "u");
}

TEST_F(ZipDirectory, WhatIsNoArchiveIsAnUnknownHeader) {
  EXPECT_FALSE(Init(""));
  EXPECT_FALSE(Init("just some text, long enough to hold an end record but holding none"));
  EXPECT_THAT(errors_, ElementsAre(Pair(-1, zip_error::kUnknownHeader), Pair(-1, zip_error::kUnknownHeader)));
  EXPECT_EQ(zip_.Count(), 0);
}

TEST_F(ZipDirectory, ADirectoryThatDoesNotHoldItsRecordsIsRefused) {
  // Long names, so that the directory could hold a third record by its size.
  const ZipBuilder two =
      ZipBuilder().Add(ZipMember::Stored(std::string(50, 'a'), "a")).Add(ZipMember::Stored("b.txt", "b"));
  // One record more than the directory holds: the walk stops at the missing one.
  ASSERT_FALSE(Init(ZipBuilder(two).AnnouncedEntries(3).Build()));
  EXPECT_THAT(errors_, ElementsAre(Pair(2, zip_error::kInvalidCenterHeader)));
  EXPECT_EQ(zip_.Count(), 3);
  EXPECT_FALSE(zip_.Unzip("out")) << "an unfinished table extracts nothing";
  EXPECT_EQ(files_.Files().size(), 1u);

  // A count that the directory cannot possibly hold sizes nothing.
  errors_.clear();
  ASSERT_FALSE(Init(ZipBuilder(two).AnnouncedEntries(65535).Build()));
  EXPECT_THAT(errors_, ElementsAre(Pair(-1, zip_error::kInvalidCenterHeader)));
  EXPECT_EQ(zip_.Count(), 0);

  // A directory offset that points at something else, or past the end.
  errors_.clear();
  ASSERT_FALSE(Init(ZipBuilder(two).DirectoryOffset(1).Build()));
  ASSERT_FALSE(Init(ZipBuilder(two).DirectoryOffset(0xFFFFFF00).Build()));
  EXPECT_THAT(errors_,
              ElementsAre(Pair(0, zip_error::kInvalidCenterHeader), Pair(-1, zip_error::kInvalidCenterHeader)));
}

TEST_F(ZipDirectory, ADirectoryThatCannotBeReadWholeIsRefusedNotTakenForEmpty) {
  const ZipBuilder two = ZipBuilder().Add(ZipMember::Stored("a.txt", "a")).Add(ZipMember::Stored("b.txt", "b"));
  const std::pair<ZipBuilder, const char*> cases[] = {
      {ZipBuilder(two).Zip64End().EntriesOnThisDisk(0), zip_error::kEntryCountMismatch},
      {ZipBuilder(two).EntriesOnThisDisk(1), zip_error::kEntryCountMismatch},
      {ZipBuilder(two).AnnouncedEntries(0), zip_error::kUnreadDirectory},
      {ZipBuilder(two).AnnouncedEntries(1), zip_error::kUnreadDirectory},
      {ZipBuilder(two).AfterDirectory("a record of no kind"), zip_error::kUnreadDirectory},
  };
  for (const auto& [archive, error] : cases) {
    errors_.clear();
    EXPECT_FALSE(Init(archive.Build())) << error;
    EXPECT_THAT(errors_, ElementsAre(Pair(-1, error)));
    EXPECT_FALSE(zip_.Unzip("out"));
  }
  EXPECT_EQ(files_.Files().size(), 1u) << "nothing extracted";
  // What may follow the records: the directory's signature, and bytes outside its size.
  ASSERT_TRUE(Init(ZipBuilder(two).AfterDirectory(std::string("PK\x05\x05\x04\x00sign", 10)).Build()));
  ASSERT_TRUE(Init(ZipBuilder(two).AfterDirectory("padding", false).Build()));
  EXPECT_TRUE(zip_.Unzip("out"));
  EXPECT_EQ(Content("out\\b.txt"), "b");
}

TEST_F(ZipDirectory, AnEncryptedDirectoryIsRefusedAsEncryptedEntriesAre) {
  // Ciphertext in place of the records, behind the archive extra data record or the
  // decryption header; the local headers mask their values.
  ZipMember masked = ZipMember::Stored("1", "ciphertext");
  masked.flags = 1 | 1 << 13;
  ZipMember encrypted = ZipMember::Stored("setup.exe", "ciphertext");
  encrypted.flags = 1;
  const std::string ciphertext(200, '\x5A');
  const std::string extraData = std::string("PK\x06\x08\x04\x00\x00\x00", 8) + "\x01\x02\x03\x04";
  const ZipBuilder cases[] = {
      ZipBuilder().Add(masked).OpaqueDirectory(extraData + ciphertext).AnnouncedEntries(0),
      ZipBuilder().Add(encrypted).OpaqueDirectory(extraData + ciphertext).Zip64End(),
      ZipBuilder().Add(masked).OpaqueDirectory(ciphertext),
  };
  for (const ZipBuilder& archive : cases) EXPECT_FALSE(Init(archive.Build()));
  EXPECT_THAT(errors_, ElementsAre(Pair(-1, zip_error::kEncryption), Pair(-1, zip_error::kEncryption),
                                   Pair(-1, zip_error::kEncryption)));
  EXPECT_FALSE(zip_.Unzip("out"));
}

TEST_F(ZipDirectory, AWrongLocalSignatureIsReportedAndTheMemberStillExtracted) {
  ZipMember odd = ZipMember::Stored("odd.txt", "still here");
  odd.localSignature = 0x12345678;
  ASSERT_TRUE(Init(ZipBuilder().Add(odd).Build()));
  EXPECT_TRUE(zip_.Unzip("out"));
  EXPECT_THAT(errors_, ElementsAre(Pair(0, zip_error::kInvalidSignature)));
  EXPECT_EQ(Content("out\\odd.txt"), "still here");
}

TEST_F(ZipDirectory, ALocalHeaderPastTheEndOfTheFileEndsTheRun) {
  ZipMember lost = ZipMember::Stored("lost.txt", "x");
  lost.localHeaderOffset = 1u << 20;
  ASSERT_TRUE(Init(ZipBuilder()
                       .Add(ZipMember::Stored("first.txt", "1"))
                       .Add(lost)
                       .Add(ZipMember::Stored("never.txt", "3"))
                       .Build()));
  EXPECT_FALSE(zip_.Unzip("out"));
  EXPECT_THAT(errors_, ElementsAre(Pair(1, "Error mapping file ")));
  EXPECT_EQ(files_.Files().count("out\\first.txt"), 1u);
  EXPECT_EQ(files_.Files().count("out\\never.txt"), 0u);
}

TEST_F(ZipDirectory, InitKeepsLastErrorButResetsTheRest) {
  EXPECT_FALSE(Init("not an archive"));
  ASSERT_TRUE(Init(ZipBuilder().Add(ZipMember::Stored("a", "a")).Comment("first").Build()));
  EXPECT_EQ(zip_.LastError(), zip_error::kUnknownHeader);
  EXPECT_EQ(zip_.ZipName(), "a.zip");
  ASSERT_TRUE(Init(ZipBuilder().Add(ZipMember::Stored("b", "b")).Add(ZipMember::Stored("c", "c")).Build()));
  EXPECT_EQ(zip_.Comments(), "");
  EXPECT_EQ(zip_.Count(), 2);
}

TEST_F(ZipDirectory, UnzipWithoutInitReportsTheMissingArchive) {
  EXPECT_FALSE(zip_.Unzip("out"));
  EXPECT_THAT(errors_, ElementsAre(Pair(-1, "Error mapping file ")));
}

TEST_F(ZipDirectory, ReadsZip64RecordsAndFields) {
  ZipMember big = ZipMember::Stored("big.bin", "zip64 sized");
  big.zip64 = true;
  ZipMember streamed = ZipMember::Stored("streamed.bin", "zip64 descriptor");
  streamed.zip64 = true;
  streamed.dataDescriptor = true;
  ASSERT_TRUE(
      Init(ZipBuilder().Add(ZipMember::Stored("a", "a")).Add(big).Add(streamed).Zip64End().Comment("64").Build()));
  ASSERT_EQ(zip_.Count(), 3);
  EXPECT_EQ(zip_.Entries()[1].compressedSize, 11u);
  EXPECT_EQ(zip_.Entries()[1].localHeaderOffset, 32u);
  EXPECT_EQ(zip_.Comments(), "64");
  EXPECT_TRUE(zip_.Unzip("out"));
  EXPECT_EQ(Content("out\\big.bin"), "zip64 sized");
  EXPECT_EQ(Content("out\\streamed.bin"), "zip64 descriptor");
  EXPECT_THAT(errors_, IsEmpty());
}

TEST_F(ZipDirectory, RefusesBrokenZip64Records) {
  // A Zip64 field too short for the values it should carry.
  ZipMember truncated = ZipMember::Stored("t.bin", "t");
  truncated.extra = std::string("\x01\x00\x04\x00\x01\x02\x03\x04", 8);
  std::string bytes = ZipBuilder().Add(truncated).Build();
  const std::size_t sizeField = bytes.find(std::string("PK\x01\x02", 4)) + 20;
  bytes.replace(sizeField, 4, std::string(4, '\xFF'));
  EXPECT_FALSE(Init(bytes));
  // A locator that points at no Zip64 end record.
  std::string located = ZipBuilder().Add(ZipMember::Stored("a", "a")).Zip64End().Build();
  located[located.find(std::string("PK\x06\x06", 4))] = 'X';
  EXPECT_FALSE(Init(located));
  EXPECT_THAT(errors_, ElementsAre(Pair(0, zip_error::kInvalidCenterHeader), Pair(-1, zip_error::kUnknownHeader)));
}

TEST_F(ZipDirectory, ExtractsMoreThan65535Entries) {
  ZipBuilder builder;
  constexpr int kEntries = 70000;
  for (int i = 0; i < kEntries; ++i) builder.Add(ZipMember::Stored("f" + std::to_string(i), i % 1000 == 0 ? "x" : ""));
  ASSERT_TRUE(Init(builder.Zip64End().Build()));
  EXPECT_EQ(zip_.Count(), kEntries);
  EXPECT_TRUE(zip_.Unzip("out"));
  EXPECT_EQ(files_.Files().size(), kEntries + 1u);
  EXPECT_EQ(Content("out\\f69000"), "x");
}

}  // namespace
}  // namespace kelvano::test
