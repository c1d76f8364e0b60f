// The command-line extractor's exit codes and what it prints.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/support/zip_builder.h"
#include "unzip/extract_command.h"
#include "tests/support/memory_zip_file_system.h"

namespace kelvano::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class Kunzip : public ::testing::Test {
 protected:
  int Run(const std::vector<std::string>& arguments) {
    return RunExtractCommand(arguments, files_, [this](const std::string& line) { printed_.push_back(line); });
  }

  MemoryZipFileSystem files_;
  std::vector<std::string> printed_;
};

TEST_F(Kunzip, ExitsZeroWhenEverythingIsExtracted) {
  files_.AddFile("a.zip",
                 ZipBuilder().Add(ZipMember::Stored("d/x.txt", "x")).Add(ZipMember::Stored("y.txt", "y")).Build());
  EXPECT_EQ(Run({"a.zip", "out"}), 0);
  EXPECT_THAT(printed_, IsEmpty());
  EXPECT_EQ(files_.Files().at("out\\d\\x.txt").content, "x");
}

TEST_F(Kunzip, TakesSlashesInThePatternForBackslashes) {
  files_.AddFile("a.zip",
                 ZipBuilder().Add(ZipMember::Stored("d/x.txt", "x")).Add(ZipMember::Stored("y.txt", "y")).Build());
  EXPECT_EQ(Run({"a.zip", "out", "d/*"}), 0);
  EXPECT_EQ(files_.Files().count("out\\d\\x.txt"), 1u);
  EXPECT_EQ(files_.Files().count("out\\y.txt"), 0u);
}

TEST_F(Kunzip, ExitsOneAndNamesTheEntriesThatFailed) {
  ZipMember bad = ZipMember::Stored("bad.bin", "x");
  bad.crc = 0;
  files_.AddFile("a.zip", ZipBuilder().Add(ZipMember::Stored("../up.txt", "x")).Add(bad).Build());
  EXPECT_EQ(Run({"a.zip", "out"}), 1);
  EXPECT_THAT(printed_, ElementsAre("..\\up.txt: Invalid file name", "bad.bin: CRC error"));
}

TEST_F(Kunzip, ExitsTwoWhenTheArchiveCannotBeRead) {
  EXPECT_EQ(Run({"missing.zip", "out"}), 2);
  files_.AddFile("text.zip", "no archive in here, just text");
  EXPECT_EQ(Run({"text.zip", "out"}), 2);
  EXPECT_EQ(Run({"only-one-argument"}), 2);
  // Its directory seen as empty, it once exited 0 with nothing extracted.
  ZipMember masked = ZipMember::Stored("1", "ciphertext");
  masked.flags = 1 | 1 << 13;
  files_.AddFile("sealed.zip", ZipBuilder().Add(masked).OpaqueDirectory("ciphertext").AnnouncedEntries(0).Build());
  EXPECT_EQ(Run({"sealed.zip", "out"}), 2);
  EXPECT_THAT(printed_, ElementsAre("missing.zip: Error mapping file missing.zip", "text.zip: Unknown header",
                                    "usage: kunzip ARCHIVE FOLDER [PATTERN]", "sealed.zip: Encryption not supported"));
}

TEST_F(Kunzip, ExitsTwoWhenARunTimeErrorEndsTheCall) {
  ZipMember overrun = ZipMember::Compressed("overrun.bin", DeflateSampleStream(), DeflateSampleContent());
  overrun.uncompressedSize = 10;
  files_.AddFile("a.zip", ZipBuilder().Add(overrun).Build());
  EXPECT_EQ(Run({"a.zip", "out"}), 2);
  EXPECT_EQ(Run({"a.zip", "out", "[unclosed"}), 2);
  ASSERT_EQ(printed_.size(), 2u);
  EXPECT_THAT(printed_[0], ::testing::StartsWith("a.zip: "));
  EXPECT_EQ(printed_[1], "a.zip: Invalid pattern string");
  EXPECT_EQ(files_.Files().count("out\\overrun.bin"), 0u);
}

}  // namespace
}  // namespace kelvano::test
