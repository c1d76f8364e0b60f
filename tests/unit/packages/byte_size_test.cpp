// The shell's short byte-size texts, as Windows and Wine print them.
#include "packages/byte_size.h"

#include <gtest/gtest.h>

#include <limits>

namespace kelvano::test {
namespace {

TEST(ByteSize, ThreeSignificantDigitsCutNotRounded) {
  const struct {
    std::int32_t bytes;
    const char* text;
  } cases[] = {
      {0, "0 bytes"},          {1, "1 bytes"},          {532, "532 bytes"},     {1023, "1023 bytes"},
      {1024, "1.00 KB"},       {1034, "1.00 KB"},       {1035, "1.01 KB"},      {1340, "1.30 KB"},
      {10239, "9.99 KB"},      {10240, "10.0 KB"},      {23506, "22.9 KB"},     {102399, "99.9 KB"},
      {102400, "100 KB"},      {1023999, "999 KB"},     {1024000, "0.97 MB"},   {1048575, "0.99 MB"},
      {1048576, "1.00 MB"},    {2400016, "2.28 MB"},    {104857599, "99.9 MB"}, {1073741823, "0.99 GB"},
      {1073741824, "1.00 GB"}, {2147483647, "1.99 GB"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatByteSize(c.bytes), c.text) << c.bytes;
}

TEST(ByteSize, NegativeCountsAreReadAsUnsigned) {
  EXPECT_EQ(FormatByteSize(-1), "3.99 GB");
  EXPECT_EQ(FormatByteSize(std::numeric_limits<std::int32_t>::min()), "2.00 GB");
  EXPECT_EQ(FormatByteSize(static_cast<std::int32_t>(2400000000u)), "2.23 GB");
}

TEST(ByteSize, DecimalSeparatorIsTheUsers) {
  EXPECT_EQ(ShortByteSizeText(1340, ","), "1,30 KB");
  EXPECT_EQ(ShortByteSizeText(23506, ","), "22,9 KB");
  EXPECT_EQ(ShortByteSizeText(102400, ","), "100 KB");
}

}  // namespace
}  // namespace kelvano::test
