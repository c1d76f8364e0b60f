// The zip reader on Windows' own files, through the CreateFileMapping seam: the shared
// extraction rules, archives made by zipfile and 7-Zip, and what only Windows has
// (streams, devices, creation times, read-only files).
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "system/win32/system_time.h"
#include "system/win32/wide_text.h"
#include "tests/cases/zip_extraction_cases.h"
#include "tests/support/temp_folder.h"
#include "unzip/win32/zip_file_system_win32.h"

namespace kelvano::test {
namespace {

namespace fs = std::filesystem;

struct FileTimes {
  DateTime created, accessed, written;  // local
};

std::optional<FileTimes> ReadTimes(const std::string& path) {
  const HANDLE file = CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  FILETIME times[3];
  const bool read = GetFileTime(file, &times[0], &times[1], &times[2]);
  CloseHandle(file);
  if (!read) return std::nullopt;
  DateTime local[3];
  for (int i = 0; i < 3; ++i) {
    FILETIME localTime;
    SYSTEMTIME fields;
    FileTimeToLocalFileTime(&times[i], &localTime);
    FileTimeToSystemTime(&localTime, &fields);
    local[i] = FromSystemTime(fields);
  }
  return FileTimes{local[0], local[1], local[2]};
}

// Mapped views anywhere in the process, plus one when the archive in the folder is
// still open (then it cannot be opened without sharing). Wine counts no handles itself.
int OpenViewsAndArchive(const std::string& folder) {
  int count = 0;
  MEMORY_BASIC_INFORMATION region;
  for (const char* at = nullptr; VirtualQuery(at, &region, sizeof region) == sizeof region;
       at = static_cast<const char*>(region.BaseAddress) + region.RegionSize) {
    if (region.State == MEM_COMMIT && region.Type == MEM_MAPPED && region.AllocationBase == region.BaseAddress) {
      ++count;
    }
  }
  const std::wstring archive = Widen(folder + "\\archive.zip");
  if (GetFileAttributesW(archive.c_str()) != INVALID_FILE_ATTRIBUTES) {
    const HANDLE alone = CreateFileW(archive.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (alone == INVALID_HANDLE_VALUE)
      ++count;
    else
      CloseHandle(alone);
  }
  return count;
}

std::optional<DateTime> Modified(const std::string& path) {
  const std::optional<FileTimes> times = ReadTimes(path);
  if (!times) return std::nullopt;
  return times->written;
}

ZipFilesUnderTest MakeWindowsFiles() { return MakeSystemFiles(Modified, OpenViewsAndArchive); }
// Every output written in order, as the 32-bit program writes its large ones.
ZipFilesUnderTest MakeAppendingWindowsFiles() {
  return MakeSystemFiles(Modified, OpenViewsAndArchive, MakeWin32ZipFileSystem(1));
}

TEST(ZipWindowsHandles, TheCountSeesAnOpenArchiveAndItsViews) {
  TempFolder folder;
  folder.Write("archive.zip", "some bytes");
  const int before = OpenViewsAndArchive(folder.Path());
  const auto files = MakeSystemZipFileSystem();
  {
    const std::unique_ptr<ArchiveFile> archive = files->OpenArchive(folder / "archive.zip");
    ASSERT_NE(archive, nullptr);
    EXPECT_EQ(OpenViewsAndArchive(folder.Path()), before + 1);
    const std::unique_ptr<MappedView> view = archive->Map(2, 4);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(view->Data()), view->Size()), "me b");
    EXPECT_EQ(OpenViewsAndArchive(folder.Path()), before + 2);
  }
  EXPECT_EQ(OpenViewsAndArchive(folder.Path()), before);
}

INSTANTIATE_TEST_SUITE_P(Zip, ZipExtractionRules,
                         ::testing::Values(ZipFilesKind{"Windows", MakeWindowsFiles},
                                           ZipFilesKind{"WindowsAppending", MakeAppendingWindowsFiles}),
                         ZipFilesKindName);

// The archives that make_archives.py made, and the files they hold.
std::string Archives() {
  const char* folder = std::getenv("KELVANO_ZIP_ARCHIVES");
  std::string path = std::string("Z:") + (folder ? folder : "");
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

// Every file and folder below one folder, with the bytes of the files.
std::map<std::string, std::string> Snapshot(const std::string& folder) {
  std::map<std::string, std::string> all;
  for (const auto& entry : fs::recursive_directory_iterator(SystemPath(folder))) {
    const std::string name = FromSystemPath(fs::relative(entry.path(), SystemPath(folder)));
    all[name] =
        entry.is_directory() ? "<folder>" : ReadSystemFile(FromSystemPath(entry.path())).value_or("<unreadable>");
  }
  return all;
}

TEST(ZipWindowsArchives, ExtractsArchivesMadeByZipfileAnd7Zip) {
  const std::map<std::string, std::string> expected = Snapshot(Archives() + "\\tree");
  ASSERT_GE(expected.size(), 8u);
  for (const std::uint64_t appendedFrom : {UINT64_MAX, std::uint64_t{0}}) {
    for (const char* name : {"deflate.zip", "stored.zip", "streamed.zip", "deflate64.zip"}) {
      TempFolder target;
      const auto files = MakeWin32ZipFileSystem(appendedFrom);
      cUnzip zip(*files);
      zip.SetStreamRoom(5000);  // members arrive in many pieces
      ASSERT_TRUE(zip.Init(Archives() + "\\" + name)) << name << ": " << zip.LastError();
      EXPECT_TRUE(zip.Unzip(target.Path())) << name << ": " << zip.LastError();
      EXPECT_EQ(Snapshot(target.Path()), expected) << name << " appended from " << appendedFrom;
    }
  }
}

TEST(ZipWindowsArchives, ReadsMoreThan65535Entries) {
  TempFolder target;
  const auto files = MakeSystemZipFileSystem();
  cUnzip zip(*files);
  ASSERT_TRUE(zip.Init(Archives() + "\\many.zip")) << zip.LastError();
  EXPECT_EQ(zip.Count(), 70000);
  EXPECT_TRUE(zip.Unzip(target.Path(), std::string("f6999#")));
  EXPECT_EQ(Snapshot(target.Path()).size(), 10u);
  EXPECT_EQ(target.Read("f69999"), "n69999");
}

class ZipWindowsFiles : public ::testing::Test {
 protected:
  bool Extract(const ZipBuilder& builder) {
    folder_.Write("a.zip", builder.Build());
    zip_.Error = [this](std::int32_t, const std::string& text) { errors_.push_back(text); };
    return zip_.Init(folder_ / "a.zip") && zip_.Unzip(folder_ / "out");
  }

  TempFolder folder_;
  std::unique_ptr<ZipFileSystem> files_ = MakeSystemZipFileSystem();
  cUnzip zip_{*files_};
  std::vector<std::string> errors_;
};

TEST_F(ZipWindowsFiles, RefusesStreamsAndDevices) {
  EXPECT_FALSE(Extract(ZipBuilder()
                           .Add(ZipMember::Stored("host.txt:hidden", "stream"))
                           .Add(ZipMember::Stored("con.txt", "device"))
                           .Add(ZipMember::Stored("sub/NUL", "device"))
                           .Add(ZipMember::Stored("kept.txt", "kept"))));
  EXPECT_THAT(errors_, ::testing::Each(std::string(zip_error::kInvalidFileName)));
  EXPECT_EQ(errors_.size(), 3u);
  EXPECT_THAT(Snapshot(folder_.Path()),
              ::testing::ElementsAre(::testing::Pair("a.zip", ::testing::_), ::testing::Pair("out", "<folder>"),
                                     ::testing::Pair("out\\kept.txt", "kept")));
}

TEST_F(ZipWindowsFiles, SetsCreationAndWriteTimesFromTheEntry) {
  ZipMember member = ZipMember::Stored("dated.txt", "dated");
  member.dosDate = (2012 - 1980) << 9 | 12 << 5 | 21;
  member.dosTime = 10 << 11 | 30 << 5;
  ASSERT_TRUE(Extract(ZipBuilder().Add(member)));
  const std::optional<FileTimes> times = ReadTimes(folder_ / "out\\dated.txt");
  ASSERT_TRUE(times.has_value());
  EXPECT_EQ(times->created, (DateTime{2012, 12, 21, 10, 30, 0}));
  EXPECT_EQ(times->written, (DateTime{2012, 12, 21, 10, 30, 0}));
  EXPECT_GE(times->accessed.year, 2024) << "last access is the extraction's time";
}

TEST_F(ZipWindowsFiles, OpensAReadOnlyArchive) {
  folder_.Write("a.zip", ZipBuilder().Add(ZipMember::Stored("x.txt", "x")).Build());
  ASSERT_TRUE(SetFileAttributesW(Widen(folder_ / "a.zip").c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_TRUE(zip_.Init(folder_ / "a.zip")) << zip_.LastError();
  EXPECT_TRUE(zip_.Unzip(folder_ / "out"));
  EXPECT_EQ(folder_.Read("out\\x.txt"), "x");
  SetFileAttributesW(Widen(folder_ / "a.zip").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(ZipWindowsFiles, ReplacesAFileLeftByAnEarlierExtraction) {
  folder_.Write("out\\x.txt", "an older and longer version");
  EXPECT_TRUE(Extract(ZipBuilder().Add(ZipMember::Stored("x.txt", "new"))));
  EXPECT_EQ(folder_.Read("out\\x.txt"), "new");
}

}  // namespace
}  // namespace kelvano::test
