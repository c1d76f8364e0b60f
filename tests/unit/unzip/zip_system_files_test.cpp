// The seam on this system's own files: an archive past 4 GiB (sparse, so it costs no
// disk), outputs that must not follow links, and outputs a full disk cannot hold.
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

#include <cerrno>

#include "system/system_error_text.h"

#include "tests/support/temp_folder.h"
#include "tests/support/zip_builder.h"
#include "unzip/cunzip.h"

namespace kelvano::test {
namespace {

std::string Native(std::string path) {
  std::replace(path.begin(), path.end(), '\\', '/');
  return path;
}

TEST(ZipSystemFiles, ReadsAnArchiveLargerThan4GiB) {
  TempFolder folder;
  // The members start past 4 GiB: their offsets exist only in Zip64 fields.
  constexpr std::uint64_t kStart = (std::uint64_t{4} << 30) + 12345;
  ZipMember far = ZipMember::Stored("far.txt", "beyond four gibibytes");
  far.zip64 = true;
  ZipMember farther = ZipMember::Compressed("farther.bin", DeflateSampleStream(), DeflateSampleContent());
  farther.zip64 = true;
  const std::string bytes = ZipBuilder().Add(far).Add(farther).Zip64End().StartAt(kStart).Build();
  {
    std::ofstream file(Native(folder / "big.zip"), std::ios::binary);
    file.seekp(static_cast<std::streamoff>(kStart));
    file << bytes;
  }
  for (const std::uint64_t wholeMappingLimit : {UINT64_MAX, std::uint64_t{64} << 20}) {
    const auto files = MakeSystemZipFileSystem();
    cUnzip zip(*files);
    zip.SetWholeMappingLimit(wholeMappingLimit);
    ASSERT_TRUE(zip.Init(folder / "big.zip")) << zip.LastError();
    EXPECT_EQ(zip.Entries()[1].localHeaderOffset, kStart + 30 + 7 + 20 + 21);
    EXPECT_TRUE(zip.Unzip(folder / "out")) << zip.LastError();
    EXPECT_EQ(folder.Read("out\\far.txt"), "beyond four gibibytes");
    EXPECT_EQ(folder.Read("out\\farther.bin"), DeflateSampleContent());
  }
}

TEST(ZipSystemFiles, AnOutputNeverFollowsALinkInItsPlace) {
  TempFolder folder;
  folder.Write("outside.txt", "untouched");
  folder.MakeFolder("out");
  ASSERT_EQ(symlink(Native(folder / "outside.txt").c_str(), Native(folder / "out\\link.txt").c_str()), 0);
  folder.Write("a.zip", ZipBuilder().Add(ZipMember::Stored("link.txt", "overwritten?")).Build());
  const auto files = MakeSystemZipFileSystem();
  cUnzip zip(*files);
  ASSERT_TRUE(zip.Init(folder / "a.zip"));
  EXPECT_FALSE(zip.Unzip(folder / "out"));
  EXPECT_EQ(folder.Read("outside.txt"), "untouched");
}

// A file size limit stands for a full disk: the output's space cannot be had.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &saved_);
    oldHandler_ = signal(SIGXFSZ, SIG_IGN);  // the call fails instead
    rlimit limit = saved_;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &saved_);
    signal(SIGXFSZ, oldHandler_);
  }

 private:
  rlimit saved_{};
  sighandler_t oldHandler_;
};

TEST(ZipSystemFiles, AnOutputTheDiskCannotHoldFailsAndLeavesNothing) {
  TempFolder folder;
  const std::string large(300000, 'x');
  folder.Write("a.zip", ZipBuilder()
                            .Add(ZipMember::Stored("small.txt", "fits"))
                            .Add(ZipMember::Stored("large.bin", large))
                            .Add(ZipMember::Compressed("sample.bin", DeflateSampleStream(), DeflateSampleContent()))
                            .Build());
  const auto files = MakeSystemZipFileSystem();
  cUnzip zip(*files);
  std::vector<std::string> errors;
  zip.Error = [&](std::int32_t, const std::string& text) { errors.push_back(text); };
  ASSERT_TRUE(zip.Init(folder / "a.zip"));
  {
    const FileSizeLimit limit(100000);
    EXPECT_FALSE(zip.Unzip(folder / "out"));
  }
  // The system's own words say why: the file is larger than the disk takes.
  EXPECT_EQ(errors, std::vector<std::string>{"Error mapping file " + (folder / "out\\large.bin") + " (" +
                                             SystemErrorText(EFBIG) + ")"});
  EXPECT_EQ(folder.Read("out\\small.txt"), "fits");
  EXPECT_EQ(folder.Read("out\\sample.bin"), DeflateSampleContent());
  EXPECT_FALSE(std::filesystem::exists(Native(folder / "out\\large.bin")));
}

TEST(ZipSystemFiles, AFolderIsNoArchive) {
  TempFolder folder;
  const auto files = MakeSystemZipFileSystem();
  cUnzip zip(*files);
  EXPECT_FALSE(zip.Init(folder.Path()));
  EXPECT_EQ(zip.LastError(), "Error mapping file " + folder.Path());
}

}  // namespace
}  // namespace kelvano::test
