#pragma once
// The extraction rules, written once and run against every file system the reader
// meets: in memory and the real files natively, and Windows' files under Wine. A test
// file includes this header and instantiates ZipExtractionRules with its seams.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "system/setup_error.h"
#include "tests/support/temp_folder.h"
#include "tests/support/zip_builder.h"
#include "unzip/cunzip.h"

namespace kelvano::test {

// A file system to test against, with an empty folder of its own.
struct ZipFilesUnderTest {
  std::unique_ptr<ZipFileSystem> files;
  std::string folder;
  std::function<void(const std::string& path, const std::string& bytes)> write;
  std::function<std::optional<std::string>(const std::string& path)> read;
  // Every file and folder below folder, relative, sorted; folders end with "\".
  std::function<std::vector<std::string>()> list;
  std::function<std::optional<DateTime>(const std::string& path)> modified;  // local time
  // Files, mappings or handles held open; null when the seam cannot count them.
  std::function<int()> openObjects;
  std::shared_ptr<void> keepAlive;  // the folder, removed when the test ends
};

struct ZipFilesKind {
  const char* name;
  ZipFilesUnderTest (*make)();
};
inline void PrintTo(const ZipFilesKind& kind, std::ostream* out) { *out << kind.name; }
inline std::string ZipFilesKindName(const ::testing::TestParamInfo<ZipFilesKind>& info) { return info.param.name; }

// A path of the setup's form (UTF-8, "\\" between names) as the system takes it, and back.
inline std::filesystem::path SystemPath(std::string path) {
#ifndef _WIN32
  std::replace(path.begin(), path.end(), '\\', '/');
#endif
  return std::filesystem::path(std::u8string(path.begin(), path.end()));
}
inline std::string FromSystemPath(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  std::string result(text.begin(), text.end());
  std::replace(result.begin(), result.end(), '/', '\\');
  return result;
}

inline std::optional<std::string> ReadSystemFile(const std::string& path) {
  std::ifstream file(SystemPath(path), std::ios::binary);
  if (!file) return std::nullopt;
  std::ostringstream content;
  content << file.rdbuf();
  return content.str();
}

// This system's own files below a new temporary folder; the caller tells how a
// file's modification time and the open files and mappings are read here, and may
// give the seam (the system's as shipped by default).
inline ZipFilesUnderTest MakeSystemFiles(std::function<std::optional<DateTime>(const std::string& path)> modified,
                                         std::function<int(const std::string& folder)> openObjects,
                                         std::unique_ptr<ZipFileSystem> seam = MakeSystemZipFileSystem()) {
  auto temp = std::make_shared<TempFolder>();
  const std::string folder = temp->Path();
  ZipFilesUnderTest files;
  files.files = std::move(seam);
  files.folder = folder;
  files.keepAlive = temp;
  files.write = [](const std::string& path, const std::string& bytes) {
    std::ofstream(SystemPath(path), std::ios::binary) << bytes;
  };
  files.read = ReadSystemFile;
  files.list = [folder] {
    std::vector<std::string> all;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(SystemPath(folder))) {
      const std::string name = FromSystemPath(std::filesystem::relative(entry.path(), SystemPath(folder)));
      all.push_back(entry.is_directory() ? name + "\\" : name);
    }
    std::sort(all.begin(), all.end());
    return all;
  };
  files.modified = std::move(modified);
  files.openObjects = [folder, openObjects] { return openObjects(folder); };
  return files;
}

class ZipExtractionRules : public ::testing::TestWithParam<ZipFilesKind> {
 protected:
  struct Run {
    bool init = false;
    bool unzip = false;
    std::vector<std::pair<int, std::string>> errors;  // index and text, in order
  };

  void SetUp() override {
    fs_ = GetParam().make();
    if (fs_.openObjects) openBefore_ = fs_.openObjects();
  }
  void TearDown() override {
    if (fs_.openObjects) {
      EXPECT_EQ(fs_.openObjects(), openBefore_) << "a file or mapping was left open";
    }
  }

  std::string ArchivePath() const { return fs_.folder + "\\archive.zip"; }
  std::string Target() const { return fs_.folder + "\\out"; }
  std::string Out(const std::string& relative) const { return Target() + "\\" + relative; }

  Run Extract(const ZipBuilder& builder, const ZipFilter& filter = {}) { return Extract(builder.Build(), filter); }
  Run Extract(const std::string& archive, const ZipFilter& filter = {}) {
    fs_.write(ArchivePath(), archive);
    Run run;
    cUnzip zip(*fs_.files);
    zip.Error = [&run](std::int32_t index, const std::string& text) { run.errors.emplace_back(index, text); };
    run.init = zip.Init(ArchivePath());
    if (run.init) run.unzip = zip.Unzip(Target(), filter);
    return run;
  }
  // What the folder holds besides the archive.
  std::vector<std::string> Written() const {
    std::vector<std::string> all = fs_.list();
    std::erase(all, "archive.zip");
    return all;
  }

  ZipFilesUnderTest fs_;
  int openBefore_ = 0;
};

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Pair;

TEST_P(ZipExtractionRules, ExtractsFilesAndFoldersWithTheirTimes) {
  ZipMember readme = ZipMember::Stored("docs/readme.txt", "Read me first.\r\n");
  readme.dosDate = (2021 - 1980) << 9 | 3 << 5 | 14;  // 14 March 2021
  readme.dosTime = 15 << 11 | 9 << 5 | 26 / 2;        // 15:09:26
  const Run run =
      Extract(ZipBuilder()
                  .Add(ZipMember::Folder("empty/"))
                  .Add(readme)
                  .Add(ZipMember::Compressed("bin/setup.dat", DeflateSampleStream(), DeflateSampleContent())));
  EXPECT_TRUE(run.init);
  EXPECT_TRUE(run.unzip);
  EXPECT_THAT(run.errors, IsEmpty());
  EXPECT_THAT(Written(), ElementsAre("out\\", "out\\bin\\", "out\\bin\\setup.dat", "out\\docs\\",
                                     "out\\docs\\readme.txt", "out\\empty\\"));
  EXPECT_EQ(fs_.read(Out("docs\\readme.txt")), "Read me first.\r\n");
  EXPECT_EQ(fs_.read(Out("bin\\setup.dat")), DeflateSampleContent());
  EXPECT_EQ(fs_.modified(Out("docs\\readme.txt")), (DateTime{2021, 3, 14, 15, 9, 26}));
}

TEST_P(ZipExtractionRules, AFolderNameWithContentIsNoFolder) {
  // A folder written as an empty deflate stream, as Python's zipfile does, is a folder;
  // a name ending in "/" that holds bytes cannot be created.
  const Run run = Extract(ZipBuilder()
                              .Add(ZipMember::Compressed("folder/", std::string("\x03\x00", 2), ""))
                              .Add(ZipMember::Stored("bytes/", "content")));
  EXPECT_FALSE(run.unzip);
  ASSERT_EQ(run.errors.size(), 1u);
  EXPECT_EQ(run.errors[0].first, 1);
  EXPECT_THAT(run.errors[0].second, ::testing::StartsWith(zip_error::kMappingFile));
  EXPECT_THAT(Written(), ElementsAre("out\\", "out\\folder\\"));
}

TEST_P(ZipExtractionRules, AFolderMarkedByItsMsDosAttributeAloneIsAFolder) {
  // As archivers of MS-DOS and Windows write them: no final "/", the folder attribute.
  ZipMember ntfs = ZipMember::Folder("bin/x64");
  ntfs.systemMadeBy = 10;
  ZipMember unix = ZipMember::Folder("notes");  // on Unix the attribute means nothing
  unix.systemMadeBy = 3;
  ZipMember marked = ZipMember::Stored("setup.ini", "holds bytes, so no folder");
  marked.externalAttributes = 0x10;
  const Run run = Extract(ZipBuilder()
                              .Add(ZipMember::Folder("bin"))
                              .Add(ntfs)
                              .Add(ZipMember::Stored("bin/x64/setup.exe", "MZ"))
                              .Add(unix)
                              .Add(marked));
  EXPECT_TRUE(run.unzip);
  EXPECT_THAT(run.errors, IsEmpty());
  EXPECT_THAT(Written(), ElementsAre("out\\", "out\\bin\\", "out\\bin\\x64\\", "out\\bin\\x64\\setup.exe", "out\\notes",
                                     "out\\setup.ini"));
  EXPECT_EQ(fs_.read(Out("notes")), "");
}

TEST_P(ZipExtractionRules, AFileInTheWayOfAFolderIsReported) {
  const Run run = Extract(ZipBuilder()
                              .Add(ZipMember::Stored("taken", "a file"))
                              .Add(ZipMember::Folder("taken/"))
                              .Add(ZipMember::Stored("taken/inside.txt", "x")));
  EXPECT_FALSE(run.unzip);
  EXPECT_THAT(run.errors, ElementsAre(Pair(1, zip_error::kCreatingFolder), Pair(2, zip_error::kCreatingOutputFolder)));
  EXPECT_EQ(fs_.read(Out("taken")), "a file");
}

TEST_P(ZipExtractionRules, AnEmptyMemberBecomesAnEmptyFileWithItsTime) {
  ZipMember empty = ZipMember::Stored("empty.log", "");
  empty.dosDate = (2019 - 1980) << 9 | 7 << 5 | 1;
  empty.dosTime = 8 << 11;
  ZipMember emptyDeflated = ZipMember::Compressed("empty.cfg", std::string("\x03\x00", 2), "");
  const Run run = Extract(ZipBuilder().Add(empty).Add(emptyDeflated));
  EXPECT_TRUE(run.unzip);
  EXPECT_THAT(run.errors, IsEmpty());
  EXPECT_EQ(fs_.read(Out("empty.log")), "");
  EXPECT_EQ(fs_.read(Out("empty.cfg")), "");
  EXPECT_EQ(fs_.modified(Out("empty.log")), (DateTime{2019, 7, 1, 8, 0, 0}));
}

TEST_P(ZipExtractionRules, AFailingMemberLeavesNoFileWhileTheOthersAreExtracted) {
  ZipMember badCrc = ZipMember::Stored("bad-crc.bin", "payload");
  badCrc.crc ^= 1;
  ZipMember encrypted = ZipMember::Stored("secret.bin", "xxxx");
  encrypted.flags = 1;
  ZipMember reduced = ZipMember::Stored("reduced.bin", "xxxx");
  reduced.method = 3;
  ZipMember imploded = ZipMember::Stored("imploded.bin", "xxxx");
  imploded.method = 6;
  ZipMember oversized = ZipMember::Stored("oversized.bin", "twelve bytes");
  oversized.uncompressedSize = 4;
  ZipMember badStream = ZipMember::Compressed("bad-stream.bin", "\x07", "whatever");
  ZipMember badDeflateCrc = ZipMember::Compressed("bad-deflate-crc.bin", DeflateSampleStream(), DeflateSampleContent());
  badDeflateCrc.crc ^= 0x80000000u;

  const Run run = Extract(ZipBuilder()
                              .Add(ZipMember::Stored("first.txt", "one"))
                              .Add(badCrc)
                              .Add(encrypted)
                              .Add(reduced)
                              .Add(imploded)
                              .Add(oversized)
                              .Add(badStream)
                              .Add(badDeflateCrc)
                              .Add(ZipMember::Stored("last.txt", "two")));
  EXPECT_TRUE(run.init);
  EXPECT_FALSE(run.unzip) << "a partly extracted archive is no success";
  ASSERT_EQ(run.errors.size(), 7u);
  EXPECT_THAT(run.errors[0], Pair(1, zip_error::kCrc));
  EXPECT_THAT(run.errors[1], Pair(2, zip_error::kEncryption));
  EXPECT_THAT(run.errors[2], Pair(3, zip_error::kUnReduce));
  EXPECT_THAT(run.errors[3], Pair(4, zip_error::kCompression));
  EXPECT_THAT(run.errors[4], Pair(5, zip_error::kStoredSize));
  EXPECT_EQ(run.errors[5].first, 6);  // the decoder's own text
  EXPECT_THAT(run.errors[6], Pair(7, zip_error::kCrc));
  EXPECT_THAT(Written(), ElementsAre("out\\", "out\\first.txt", "out\\last.txt"));
}

TEST_P(ZipExtractionRules, NamesThatLeaveTheTargetAreRefusedAndNothingIsWritten) {
  // Had any of these been written, it would have landed inside the test's own folder.
  const std::string absolute = fs_.folder + "\\absolute.txt";
  const Run run = Extract(ZipBuilder()
                              .Add(ZipMember::Stored("../parent.txt", "x"))
                              .Add(ZipMember::Stored("a/../../dotdot.txt", "x"))
                              .Add(ZipMember::Stored("..\\backslash.txt", "x"))
                              .Add(ZipMember::Stored(absolute, "x"))
                              .Add(ZipMember::Folder("../folder/"))
                              .Add(ZipMember::Stored("fine.txt", "kept")));
  EXPECT_FALSE(run.unzip);
  EXPECT_THAT(run.errors, ElementsAre(Pair(0, zip_error::kInvalidFileName), Pair(1, zip_error::kInvalidFileName),
                                      Pair(2, zip_error::kInvalidFileName), Pair(3, zip_error::kInvalidFileName),
                                      Pair(4, zip_error::kInvalidFileName)));
  EXPECT_THAT(Written(), ElementsAre("out\\", "out\\fine.txt"));
}

TEST_P(ZipExtractionRules, OverlappingMembersAreRefused) {
  // Two central records share one local header and its data, as zip bombs do.
  ZipBuilder builder;
  builder.Add(ZipMember::Stored("kernel.bin", "shared bytes")).Add(ZipMember::Stored("other.txt", "alone"));
  ZipMember alias = ZipMember::Stored("alias.bin", "shared bytes");
  alias.localHeaderOffset = 0;
  builder.Add(alias);
  const Run run = Extract(builder);
  EXPECT_FALSE(run.unzip);
  EXPECT_THAT(run.errors, ElementsAre(Pair(0, zip_error::kOverlapping), Pair(2, zip_error::kOverlapping)));
  EXPECT_THAT(Written(), ElementsAre("out\\", "out\\other.txt"));
}

TEST_P(ZipExtractionRules, AnArchiveBehindBytesOfItsOwnIsExtractedAndCheckedAsEver) {
  // A self-extractor's stub in front, its offsets corrected for it (zip -A) or not:
  // names and overlaps are refused all the same.
  const std::string stub = "MZ" + std::string(3000, '\x90');
  for (const bool adjusted : {false, true}) {
    for (const bool zip64 : {false, true}) {
      SCOPED_TRACE(std::string(adjusted ? "adjusted" : "as made") + (zip64 ? ", Zip64" : ""));
      ZipBuilder builder;
      builder.Add(ZipMember::Stored("docs/readme.txt", "Read me first."))
          .Add(ZipMember::Compressed("bin/setup.dat", DeflateSampleStream(), DeflateSampleContent()))
          .Add(ZipMember::Stored("../escape.txt", "x"));
      ZipMember alias = ZipMember::Stored("alias.txt", "Read me first.");
      alias.localHeaderOffset = adjusted ? stub.size() : 0;
      builder.Add(alias);
      if (adjusted) builder.StartAt(stub.size());
      if (zip64) builder.Zip64End();
      fs_ = GetParam().make();
      const Run run = Extract(stub + builder.Build());
      EXPECT_TRUE(run.init);
      EXPECT_THAT(run.errors, ElementsAre(Pair(0, zip_error::kOverlapping), Pair(2, zip_error::kInvalidFileName),
                                          Pair(3, zip_error::kOverlapping)));
      EXPECT_THAT(Written(), ElementsAre("out\\", "out\\bin\\", "out\\bin\\setup.dat"));
      EXPECT_EQ(fs_.read(Out("bin\\setup.dat")), DeflateSampleContent());
    }
  }
}

TEST_P(ZipExtractionRules, AStreamLongerThanItsFileEndsTheCallAndLeavesNothing) {
  ZipMember overrun = ZipMember::Compressed("overrun.bin", DeflateSampleStream(), DeflateSampleContent());
  overrun.uncompressedSize = 100;
  fs_.write(ArchivePath(), ZipBuilder().Add(ZipMember::Stored("first.txt", "one")).Add(overrun).Build());
  cUnzip zip(*fs_.files);
  ASSERT_TRUE(zip.Init(ArchivePath()));
  EXPECT_THROW(zip.Unzip(Target()), SetupError);
  EXPECT_THAT(Written(), ElementsAre("out\\", "out\\first.txt"));
}

TEST_P(ZipExtractionRules, ReportsProgressAfterDecodedBlocks) {
  std::vector<std::pair<std::int32_t, std::uint64_t>> progress;
  fs_.write(ArchivePath(), ZipBuilder()
                               .Add(ZipMember::Stored("a.txt", "a"))
                               .Add(ZipMember::Compressed("b.bin", DeflateSampleStream(), DeflateSampleContent()))
                               .Build());
  cUnzip zip(*fs_.files);
  zip.Progress = [&](std::int32_t index, std::uint64_t position, std::uint64_t size) {
    EXPECT_LE(position, size);
    progress.emplace_back(index, size);
  };
  ASSERT_TRUE(zip.Init(ArchivePath()));
  EXPECT_TRUE(zip.Unzip(Target()));
  ASSERT_FALSE(progress.empty());
  EXPECT_EQ(progress.back(), std::make_pair(1, std::uint64_t{DeflateSampleStream().size()}));
}

TEST_P(ZipExtractionRules, SelectsEntriesByPatternOrByIndex) {
  ZipBuilder builder;
  builder.Add(ZipMember::Stored("Setup.exe", "x"))
      .Add(ZipMember::Stored("README", "x"))
      .Add(ZipMember::Stored("data/v2.cab", "x"));
  EXPECT_TRUE(Extract(builder, std::string("*.*")).unzip);
  EXPECT_THAT(Written(), ElementsAre("out\\", "out\\README", "out\\Setup.exe", "out\\data\\", "out\\data\\v2.cab"));

  fs_ = GetParam().make();
  EXPECT_TRUE(Extract(builder, std::string("data\\v#.cab")).unzip);
  EXPECT_THAT(Written(), ElementsAre("out\\", "out\\data\\", "out\\data\\v2.cab"));

  fs_ = GetParam().make();
  EXPECT_TRUE(Extract(builder, std::vector<bool>{false, true}).unzip);  // entries past the array are skipped
  EXPECT_THAT(Written(), ElementsAre("out\\", "out\\README"));
}

TEST_P(ZipExtractionRules, AMissingArchiveIsAMappingError) {
  cUnzip zip(*fs_.files);
  std::vector<std::string> errors;
  zip.Error = [&](std::int32_t, const std::string& text) { errors.push_back(text); };
  EXPECT_FALSE(zip.Init(fs_.folder + "\\missing.zip"));
  EXPECT_FALSE(zip.Unzip(Target()));
  EXPECT_THAT(errors, ElementsAre("Error mapping file " + fs_.folder + "\\missing.zip",
                                  "Error mapping file " + fs_.folder + "\\missing.zip"));
  EXPECT_THAT(Written(), IsEmpty());
}

}  // namespace kelvano::test
