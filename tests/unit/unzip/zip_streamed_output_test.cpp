// Outputs written in order: members larger than the decoding window arrive piece by
// piece, and an output that cannot take its bytes fails with the mapping error and
// leaves nothing, while the other members are extracted.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "system/system_error_text.h"

#include "tests/support/sample_data.h"
#include "tests/support/zip_builder.h"
#include "tests/support/zlib_reference.h"
#include "tests/unit/unzip/zip_in_memory.h"

namespace kelvano::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Pair;

std::string Text(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

ZipMember Deflated(std::string name, const Bytes& content) {
  return ZipMember::Compressed(std::move(name), Text(ZlibDeflate(content, 6)), Text(content));
}

class StreamedOutputs : public InMemoryZip {
 protected:
  StreamedOutputs() {
    files_.SetAppendingOutputs(true);
    zip_.SetStreamRoom(5000);  // output handed over every 5000 bytes past the history
  }
};

TEST_F(StreamedOutputs, LargeMembersArrivePieceByPiece) {
  const Bytes text = SampleText(700 << 10);
  const Bytes binary = SampleBinary(300 << 10);
  const Bytes stored = RandomBytes(200 << 10);
  ASSERT_TRUE(Init(ZipBuilder()
                       .Add(Deflated("text.txt", text))
                       .Add(Deflated("binary.dll", binary))
                       .Add(ZipMember::Stored("stored.cab", Text(stored)))
                       .Build()));
  EXPECT_TRUE(zip_.Unzip("out"));
  EXPECT_THAT(errors_, IsEmpty());
  EXPECT_TRUE(Content("out\\text.txt") == Text(text));
  EXPECT_TRUE(Content("out\\binary.dll") == Text(binary));
  EXPECT_TRUE(Content("out\\stored.cab") == Text(stored));
}

TEST_F(StreamedOutputs, AnOutputThatCannotTakeItsBytesFailsAndLeavesNothing) {
  files_.SetAppendLimit(100000);
  ASSERT_TRUE(Init(ZipBuilder()
                       .Add(ZipMember::Stored("small.txt", "fits"))
                       .Add(Deflated("large.txt", SampleText(300 << 10)))
                       .Add(ZipMember::Stored("large.cab", Text(RandomBytes(200 << 10))))
                       .Add(ZipMember::Compressed("sample.bin", DeflateSampleStream(), DeflateSampleContent()))
                       .Build()));
  EXPECT_FALSE(zip_.Unzip("out"));
  EXPECT_THAT(errors_,
              ElementsAre(Pair(1, "Error mapping file out\\large.txt (" + SystemErrorText(112) + ")"),
                          Pair(2, "Error mapping file out\\large.cab (" + SystemErrorText(112) + ")")));
  EXPECT_EQ(files_.Files().count("out\\large.txt"), 0u);
  EXPECT_EQ(files_.Files().count("out\\large.cab"), 0u);
  EXPECT_EQ(Content("out\\small.txt"), "fits");
  EXPECT_EQ(Content("out\\sample.bin"), DeflateSampleContent());
}

}  // namespace
}  // namespace kelvano::test
