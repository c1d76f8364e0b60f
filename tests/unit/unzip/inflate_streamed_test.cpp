// What only the streamed decoder has: a sink that refuses, and a window that serves
// one stream after another. (Every other test decodes streamed as well, see Decode.)
#include <gtest/gtest.h>
#include <zlib.h>

#include "system/setup_error.h"

#include "tests/unit/unzip/inflate_test_support.h"

namespace kelvano::test {
namespace {

// Takes pieces until they pass a number of bytes.
struct RefusingSink : InflateSink {
  explicit RefusingSink(std::size_t accepted) : accepted(accepted) {}
  bool Write(const std::uint8_t*, std::size_t size) override {
    offeredAfterRefusal |= refused;
    if (size > accepted) refused = true;
    if (refused) return false;
    accepted -= size;
    return true;
  }
  std::size_t accepted;
  bool refused = false;
  bool offeredAfterRefusal = false;
};

TEST(StreamedInflate, StopsAtOnceWhenTheSinkRefuses) {
  const Bytes data = SampleText(200 << 10);
  for (int strategy : {Z_DEFAULT_STRATEGY, Z_HUFFMAN_ONLY}) {
    const Bytes stream = ZlibDeflate(data, 6, strategy);
    for (std::size_t accepted : {std::size_t(0), std::size_t(5000), data.size() - 1}) {
      SCOPED_TRACE("accepting " + std::to_string(accepted));
      InflateWindow window(4096);
      RefusingSink sink(accepted);
      RecordingHost host;
      std::uint64_t size = data.size();
      std::uint32_t crc = 0;
      EXPECT_FALSE(AsReader(InflateStreamed(stream.data(), stream.size(), window, sink, size, crc, false, host), host));
      EXPECT_TRUE(host.errors.empty()) << "the sink reports its own failure";
      EXPECT_EQ(size, data.size()) << "nothing produced is reported";
      EXPECT_TRUE(sink.refused);
      EXPECT_FALSE(sink.offeredAfterRefusal);
    }
  }
}

TEST(StreamedInflate, AWindowServesOneStreamAfterAnother) {
  // The second stream reaches one byte before its start: the bytes of the first one,
  // still in the window, must not count as its output.
  const Bytes first = SampleBinary(100 << 10);
  const Bytes second = BitWriter().Header(true, 1).FixedLiteral('a').FixedMatch(3, 2).FixedEnd().Finish();
  const Bytes third = SampleText(150 << 10);
  InflateWindow window(3000);
  std::uint32_t crc = 0;
  const auto decode = [&](const Bytes& stream, std::uint64_t size, RecordingHost& host, CollectingSink& sink) {
    return AsReader(InflateStreamed(stream.data(), stream.size(), window, sink, size, crc, false, host), host);
  };
  RecordingHost host;
  CollectingSink firstOut, secondOut, thirdOut;
  EXPECT_TRUE(decode(ZlibDeflate(first, 9), first.size(), host, firstOut));
  EXPECT_THROW(decode(second, 100, host, secondOut), SetupError);
  EXPECT_TRUE(decode(ZlibDeflate(third, 1), third.size(), host, thirdOut));
  EXPECT_TRUE(firstOut.bytes == first);
  EXPECT_TRUE(thirdOut.bytes == third);
  EXPECT_EQ(crc, ZlibCrc32(third.data(), third.size()));
}

}  // namespace
}  // namespace kelvano::test
