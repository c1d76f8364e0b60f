// The mmap seam on this system's own files: an archive past 4 GiB (sparse, so it costs
// no disk), and outputs that must not follow links.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <gtest/gtest.h>

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

int MappingsBelow(const std::string& folder) {
  std::ifstream maps("/proc/self/maps");
  int count = 0;
  for (std::string line; std::getline(maps, line);) count += line.find(Native(folder)) != std::string::npos;
  return count;
}

TEST(ZipSystemFiles, OutputViewsAreUnmappedInBatchesAndAllWhenTheArchiveCloses) {
  TempFolder folder;
  folder.Write("a.zip", "an archive");
  const auto files = MakeSystemZipFileSystem();
  constexpr std::size_t kViewSize = std::size_t{1} << 20;
  constexpr int kOutputs = 80;  // more than one batch holds
  int mostMapped = 0;
  {
    const std::unique_ptr<ArchiveFile> archive = files->OpenArchive(folder / "a.zip");
    ASSERT_NE(archive, nullptr);
    for (int i = 0; i < kOutputs; ++i) {
      const std::unique_ptr<OutputFile> output = files->CreateOutput(folder / std::to_string(i), kViewSize);
      ASSERT_NE(output, nullptr);
      {
        const std::unique_ptr<MappedView> view = output->Map(0, kViewSize);
        ASSERT_NE(view, nullptr);
        view->Data()[kViewSize - 1] = static_cast<std::uint8_t>(i);
      }
      output->Keep();
      mostMapped = std::max(mostMapped, MappingsBelow(folder.Path()));
    }
  }
  EXPECT_LT(mostMapped, kOutputs) << "earlier batches are unmapped while the archive is open";
  EXPECT_EQ(MappingsBelow(folder.Path()), 0) << "and the last one when it closes";
  for (const int i : {0, 77, kOutputs - 1}) {
    EXPECT_EQ(folder.Read(std::to_string(i)).back(), static_cast<char>(i));
  }
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
