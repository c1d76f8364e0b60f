#include <gtest/gtest.h>

#include "tests/support/sample_data.h"
#include "tests/support/zlib_reference.h"
#include "unzip/crc32_paths.h"
#include "unzip/inflate.h"

namespace kelvano::test {
namespace {

TEST(Crc32, KnownValues) {
  const std::string text = "123456789";
  EXPECT_EQ(Crc32(0, reinterpret_cast<const std::uint8_t*>(text.data()), text.size()), 0xCBF43926u);
  EXPECT_EQ(Crc32(0, nullptr, 0), 0u);
  EXPECT_EQ(Crc32(0x12345678, nullptr, 0), 0x12345678u);
}

// Every length up to a few folds and every alignment, so both paths' heads, folding
// loops and tails are covered, each against zlib.
TEST(Crc32, BothPathsMatchZlibAtEveryLengthAndAlignment) {
  const Bytes data = RandomBytes(4096 + 64, 5);
  for (std::size_t offset = 0; offset < 16; ++offset) {
    for (std::size_t size = 0; size <= 600; ++size) {
      const std::uint8_t* p = data.data() + offset;
      const std::uint32_t expected = ZlibCrc32(p, size);
      ASSERT_EQ(~crc32::UpdateWithTables(~0u, p, size), expected) << offset << " " << size;
      if (crc32::HasClmul()) {
        ASSERT_EQ(~crc32::UpdateWithClmul(~0u, p, size), expected) << offset << " " << size;
      }
      ASSERT_EQ(Crc32(0, p, size), expected);
    }
  }
}

TEST(Crc32, LargeInputsAndContinuationMatchZlib) {
  const Bytes data = SampleBinary(3 << 20);
  const std::uint32_t expected = ZlibCrc32(data.data(), data.size());
  EXPECT_EQ(~crc32::UpdateWithTables(~0u, data.data(), data.size()), expected);
  if (crc32::HasClmul()) {
    EXPECT_EQ(~crc32::UpdateWithClmul(~0u, data.data(), data.size()), expected);
  }
  // Continued over uneven pieces, as the decoder does block by block.
  std::uint32_t crc = 0;
  for (std::size_t done = 0, step = 1; done < data.size(); done += step, step = step * 3 + 7) {
    crc = Crc32(crc, data.data() + done, std::min(step, data.size() - done));
  }
  EXPECT_EQ(crc, expected);
}

}  // namespace
}  // namespace kelvano::test
