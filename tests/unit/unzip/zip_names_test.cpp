// Which entry names may be written below the target folder, under the portable rules
// and under Windows' own; and a corpus of hostile names run through a whole extraction.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/support/zip_builder.h"
#include "unzip/cunzip.h"
#include "tests/support/memory_zip_file_system.h"
#include "unzip/zip_names.h"

namespace kelvano::test {
namespace {

// Names as they are after decoding, with "\" between folders.
const char* const kHostileEverywhere[] = {
    "",      "\\",           "\\etc\\passwd", "\\\\server\\share\\x", "C:\\Windows\\evil.dll", "c:evil",  "..",
    "..\\x", "a\\..\\..\\x", "a\\..",         "a\\b\\..\\..\\..\\x",  "nul\x01.txt",           "tab\t.x", "cut\n.txt",
    "\x7F",
};
const char* const kHostileOnWindows[] = {
    "file.txt:stream", "a\\b:$DATA", "CON",  "con.txt",     "aux",      "Nul.log", "PRN", "COM1", "lpt9.txt",
    "a\\COM3\\b",      "CONIN$",     "COM0", "LPT\xC2\xB9", "NUL .txt", ". .",     ".. ", "...",  "a\\...\\b",
    "a\\.. \\b",
};
const char* const kSafe[] = {
    "a.txt", "dir\\",   "a\\b\\c.txt",     "a..b",   "..a", "a\\.\\b", "...txt", "CONSOLE.txt",
    "COM10", "nul_not", "caf\xC3\xA9.txt", "x\\\\y",
};

TEST(ZipNames, RefusesNamesThatLeaveTheTarget) {
  for (const char* name : kHostileEverywhere) {
    EXPECT_FALSE(IsSafeEntryName(name, NameRules::Portable)) << name;
    EXPECT_FALSE(IsSafeEntryName(name, NameRules::Windows)) << name;
  }
  EXPECT_FALSE(IsSafeEntryName(std::string("a\0b", 3), NameRules::Portable)) << "a NUL cuts the name short";
}

TEST(ZipNames, RefusesStreamsAndDevicesOnWindows) {
  for (const char* name : kHostileOnWindows) {
    EXPECT_FALSE(IsSafeEntryName(name, NameRules::Windows)) << name;
  }
  EXPECT_TRUE(IsSafeEntryName("file.txt:stream", NameRules::Portable));
  EXPECT_TRUE(IsSafeEntryName("CON", NameRules::Portable));
}

TEST(ZipNames, AcceptsOrdinaryNames) {
  for (const char* name : kSafe) {
    EXPECT_TRUE(IsSafeEntryName(name, NameRules::Portable)) << name;
    EXPECT_TRUE(IsSafeEntryName(name, NameRules::Windows)) << name;
  }
}

TEST(ZipNames, DecodesUtf8WhenFlaggedAndOemOtherwise) {
  EXPECT_EQ(DecodeEntryText("\xC3\xA9t\xC3\xA9", true), "\xC3\xA9t\xC3\xA9");
  EXPECT_EQ(DecodeEntryText("\x82t\x82", false), "\xC3\xA9t\xC3\xA9");  // code page 437
  EXPECT_EQ(DecodeEntryText("a\xFF", true), "a\xEF\xBF\xBD");           // malformed: replaced
}

TEST(ZipNames, AWholeArchiveOfHostileNamesWritesNothing) {
  MemoryZipFileSystem files;
  files.AddFolder("C:");
  files.AddFolder("C:\\target");
  ZipBuilder builder;
  int hostile = 0;
  for (const char* name : kHostileEverywhere) {
    std::string stored = name;
    std::replace(stored.begin(), stored.end(), '\\', '/');  // as archivers write them
    builder.Add(ZipMember::Stored(stored, "payload"));
    ++hostile;
  }
  for (const char* name : kHostileOnWindows) {
    ZipMember member = ZipMember::Stored(name, "payload");
    member.flags = 1 << 11;  // UTF-8, for the superscript digit
    builder.Add(member);
    ++hostile;
  }
  builder.Add(ZipMember::Stored("kept.txt", "kept"));
  files.AddFile("C:\\hostile.zip", builder.Build());

  cUnzip zip(files, NameRules::Windows);
  int refused = 0;
  zip.Error = [&](std::int32_t, const std::string& text) { refused += text == zip_error::kInvalidFileName; };
  ASSERT_TRUE(zip.Init("C:\\hostile.zip"));
  EXPECT_FALSE(zip.Unzip("C:\\target"));
  EXPECT_EQ(refused, hostile);
  std::vector<std::string> written;
  for (const auto& [path, file] : files.Files()) written.push_back(path);
  EXPECT_THAT(written, ::testing::ElementsAre("C:\\hostile.zip", "C:\\target\\kept.txt"));
  EXPECT_THAT(files.Folders(), ::testing::ElementsAre("C:", "C:\\target"));
}

}  // namespace
}  // namespace kelvano::test
