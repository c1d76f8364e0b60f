// A 32-bit process has little address space: archives too large to map at once are
// read window by window, stored members are copied through bounded windows, and what
// cannot be mapped fails with the mapping error, never a crash.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/support/zip_builder.h"
#include "tests/unit/unzip/zip_in_memory.h"

namespace kelvano::test {
namespace {

using ::testing::ElementsAre;
using ::testing::Pair;

using AddressSpace = InMemoryZip;

TEST_F(AddressSpace, ArchivesAboveTheLimitAreReadWindowByWindow) {
  files_.AddFile("a.zip", ZipBuilder()
                              .Add(ZipMember::Stored("a.txt", "alpha"))
                              .Add(ZipMember::Compressed("b.bin", DeflateSampleStream(), DeflateSampleContent()))
                              .Comment("windowed")
                              .Build());
  files_.SetMappingLimit(2000);  // less than the archive: mapping it whole fails
  ASSERT_TRUE(zip_.Init("a.zip"));
  EXPECT_EQ(zip_.Comments(), "windowed");
  EXPECT_TRUE(zip_.Unzip("out"));
  EXPECT_EQ(files_.Files().at("out\\b.bin").content, DeflateSampleContent());
  EXPECT_THAT(errors_, ::testing::IsEmpty());
}

TEST_F(AddressSpace, WhatCannotBeMappedFailsWithTheMappingError) {
  ZipMember big = ZipMember::Compressed("big.bin", DeflateSampleStream(), DeflateSampleContent());
  files_.AddFile("a.zip", ZipBuilder().Add(ZipMember::Stored("small.txt", "s")).Add(big).Build());
  files_.SetMappingLimit(DeflateSampleContent().size() - 1);
  ASSERT_TRUE(zip_.Init("a.zip"));
  EXPECT_FALSE(zip_.Unzip("out"));
  EXPECT_THAT(errors_, ElementsAre(Pair(1, "Error mapping file out\\big.bin")));
  EXPECT_EQ(files_.Files().count("out\\big.bin"), 0u);
  EXPECT_EQ(files_.Files().at("out\\small.txt").content, "s");
}

TEST_F(AddressSpace, StoredMembersNeedOnlyABoundedWindow) {
  // Larger than any view the system will map; copied through windows all the same.
  std::string content(std::size_t{65} << 20, '\0');
  for (std::size_t at = 0; at < content.size(); at += 4093) content[at] = static_cast<char>(at / 4093);
  files_.AddFile("a.zip", ZipBuilder().Add(ZipMember::Stored("large.bin", content)).Build());
  files_.SetMappingLimit(std::size_t{64} << 20);
  ASSERT_TRUE(zip_.Init("a.zip"));
  EXPECT_TRUE(zip_.Unzip("out"));
  EXPECT_TRUE(files_.Files().at("out\\large.bin").content == content);
  EXPECT_THAT(errors_, ::testing::IsEmpty());
}

}  // namespace
}  // namespace kelvano::test
