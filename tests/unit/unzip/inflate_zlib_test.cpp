// Streams made by zlib must decode to exactly the bytes they were made from.
#include <gtest/gtest.h>
#include <zlib.h>

#include "tests/unit/unzip/inflate_test_support.h"

namespace kelvano::test {
namespace {

struct Corpus {
  const char* name;
  Bytes data;
};

const std::vector<Corpus>& Corpora() {
  static const std::vector<Corpus> corpora = {
      {"text", SampleText(300 << 10)},
      {"binary", SampleBinary(300 << 10)},
      {"literals", LiteralHeavy(200 << 10)},
      {"random", RandomBytes(100 << 10)},
  };
  return corpora;
}

struct Strategy {
  const char* name;
  int value;
};

class ZlibStreams : public ::testing::TestWithParam<std::tuple<Strategy, inflate::FastLoopKind>> {};

TEST_P(ZlibStreams, DecodeExactlyAtEveryLevel) {
  FastLoopScope loop(std::get<1>(GetParam()));
  if (!loop.Available()) GTEST_SKIP() << "this processor cannot run it";
  for (const Corpus& corpus : Corpora()) {
    const std::uint32_t expectedCrc = ZlibCrc32(corpus.data.data(), corpus.data.size());
    for (int level = 0; level <= 9; ++level) {
      SCOPED_TRACE(std::string(corpus.name) + " level " + std::to_string(level));
      const Bytes stream = ZlibDeflate(corpus.data, level, std::get<0>(GetParam()).value);
      // Room to spare: the decoder reports what it produced, not the capacity.
      const DecodeResult result = Decode(stream, corpus.data.size() + 100);
      ASSERT_TRUE(result.ok) << (result.raised ? *result.raised : "");
      ASSERT_EQ(result.produced, corpus.data.size());
      ASSERT_TRUE(result.output == corpus.data);
      EXPECT_EQ(result.crc, expectedCrc);
      EXPECT_TRUE(result.host.errors.empty());
      EXPECT_TRUE(result.guardIntact);
      EXPECT_TRUE(result.restZero);
      ASSERT_FALSE(result.host.progress.empty());
      EXPECT_EQ(result.host.progress.back(),
                std::make_pair(std::uint64_t(stream.size()), std::uint64_t(stream.size())));
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Inflate, ZlibStreams,
    ::testing::Combine(::testing::Values(Strategy{"Default", Z_DEFAULT_STRATEGY}, Strategy{"Filtered", Z_FILTERED},
                                         Strategy{"HuffmanOnly", Z_HUFFMAN_ONLY}, Strategy{"Rle", Z_RLE},
                                         Strategy{"Fixed", Z_FIXED}),
                       ::testing::Values(inflate::FastLoopKind::kPortable, inflate::FastLoopKind::kBmi2)),
    [](const auto& info) { return std::string(std::get<0>(info.param).name) + FastLoopName(std::get<1>(info.param)); });

// One byte short of the output the stream needs: the run-time error, and not a byte
// written past the end, wherever in the stream the output runs out.
TEST(ZlibStreamsTooLarge, RaiseTheRunTimeErrorWithoutWritingPastTheOutput) {
  for (const Corpus& corpus : Corpora()) {
    for (int strategy : {Z_DEFAULT_STRATEGY, Z_FIXED, Z_HUFFMAN_ONLY}) {
      const Bytes stream = ZlibDeflate(corpus.data, 6, strategy);
      for (std::size_t capacity : {std::size_t(0), std::size_t(1), corpus.data.size() / 2, corpus.data.size() - 1}) {
        SCOPED_TRACE(std::string(corpus.name) + " capacity " + std::to_string(capacity));
        const DecodeResult result = Decode(stream, capacity);
        EXPECT_FALSE(result.ok);
        EXPECT_TRUE(result.guardIntact);
        // Random data is stored, which is an ordinary error instead.
        if (result.raised) {
          EXPECT_EQ(*result.raised, "9 cUnzip Subscript out of range");
        } else {
          EXPECT_EQ(result.host.errors, std::vector<std::string>{"OutStream overflow"});
        }
      }
    }
  }
}

// Cut anywhere, a stream fails one way or another, reading nothing outside its input.
TEST(ZlibStreamsTruncated, FailWithoutReadingPastTheInput) {
  const Bytes data = SampleText(20 << 10);
  for (int strategy : {Z_DEFAULT_STRATEGY, Z_FIXED}) {
    const Bytes stream = ZlibDeflate(data, 6, strategy);
    for (std::size_t size = 0; size + 1 < stream.size(); size += 1 + size / 16) {
      const DecodeResult result = Decode(Bytes(stream.begin(), stream.begin() + size), data.size());
      EXPECT_TRUE(result.guardIntact);
    }
  }
}

}  // namespace
}  // namespace kelvano::test
