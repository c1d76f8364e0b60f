// Deflate64 members made by 7-Zip decode to their sources.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "tests/support/temp_folder.h"
#include "tests/unit/unzip/inflate_test_support.h"

namespace kelvano::test {
namespace {

// Pieces repeated from 33 to 64 KiB back (beyond plain deflate's reach), long runs of
// one byte and fresh random pieces.
Bytes FarRepeats(std::size_t size, std::uint32_t seed) {
  std::mt19937 random(seed);
  Bytes out = RandomBytes(70000, seed);
  while (out.size() < size) {
    const std::uint32_t kind = random() % 10;
    if (kind < 4) {
      const std::size_t from = out.size() - (33000 + random() % (65536 - 33000 + 1));
      const std::size_t length = 50 + random() % 3000;
      for (std::size_t i = 0; i < length; ++i) out.push_back(out[from + i]);
    } else if (kind < 5) {
      out.insert(out.end(), 100 + random() % 20000, std::uint8_t(random()));
    } else {
      const Bytes piece = RandomBytes(100 + random() % 4000, random() % 16);
      out.insert(out.end(), piece.begin(), piece.end());
    }
  }
  out.resize(size);
  return out;
}

std::uint32_t Little(const std::string& bytes, std::size_t at, int size) {
  std::uint32_t value = 0;
  for (int i = size; i-- > 0;) value = value << 8 | std::uint8_t(bytes[at + i]);
  return value;
}

// The compressed data of the archive's first member, found through its local header.
Bytes FirstMemberData(const std::string& archive, std::uint32_t& method) {
  EXPECT_EQ(Little(archive, 0, 4), 0x04034b50u);
  method = Little(archive, 8, 2);
  const std::size_t start = 30 + Little(archive, 26, 2) + Little(archive, 28, 2);
  const std::size_t size = Little(archive, 18, 4);
  return Bytes(archive.begin() + start, archive.begin() + start + size);
}

TEST(Deflate64Archives, MadeBy7ZipDecodeToTheirSources) {
  for (const char* level : {"-mx=1", "-mx=9"}) {
    SCOPED_TRACE(level);
    TempFolder folder;
    const Bytes data = FarRepeats(600 << 10, 3);
    folder.Write("data.bin", std::string(data.begin(), data.end()));
    const std::string command = "7z a -tzip -mm=Deflate64 " + std::string(level) + " '" + folder.Path() +
                                "/archive.zip' '" + folder.Path() + "/data.bin' >/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;

    std::uint32_t method = 0;
    const Bytes stream = FirstMemberData(folder.Read("archive.zip"), method);
    EXPECT_EQ(method, 9u);
    Bytes zlibOutput(data.size());
    std::size_t zlibProduced = 0;
    EXPECT_FALSE(ZlibInflate(stream.data(), stream.size(), zlibOutput.data(), zlibOutput.size(), zlibProduced))
        << "the member should reach beyond 32 KiB";

    const DecodeResult result = Decode(stream, data.size(), true);
    ASSERT_TRUE(result.ok) << (result.raised ? *result.raised : "");
    EXPECT_EQ(result.produced, data.size());
    EXPECT_TRUE(result.output == data);
    EXPECT_EQ(result.crc, ZlibCrc32(data.data(), data.size()));
  }
}

}  // namespace
}  // namespace kelvano::test
