// SHA-256 against the standard's own examples, in pieces of every size, and the
// processor's instructions against the portable rounds.
#include "packages/sha256.h"

#include <gtest/gtest.h>

#include <random>

namespace kelvano::test {
namespace {

std::string Hash(const std::string& data, std::size_t piece) {
  Sha256 sha;
  for (std::size_t at = 0; at < data.size(); at += piece)
    sha.Update(data.data() + at, std::min(piece, data.size() - at));
  return sha.FinishHex();
}

TEST(Sha256, KnownDigestsWhateverThePieces) {
  EXPECT_EQ(Hash("", 1), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  const std::string twoBlocks = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";
  for (const std::size_t piece : {1u, 3u, 55u, 64u, 1000u}) {
    EXPECT_EQ(Hash("abc", piece), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(Hash(twoBlocks, piece), "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
  }
  EXPECT_EQ(Hash(std::string(1000000, 'a'), 4096), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

TEST(Sha256, ProcessorInstructionsAgreeWithThePortableRounds) {
  const Sha256::Compress instructions = Sha256::CompressWithShaInstructions();
  if (instructions == nullptr) GTEST_SKIP() << "this processor has no SHA instructions";
  std::mt19937 random(5);
  std::string blocks(64 * 37, '\0');
  for (char& c : blocks) c = static_cast<char>(random());
  std::uint32_t a[8] = {1, 2, 3, 4, 5, 6, 7, 8}, b[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  Sha256::CompressPortably(a, reinterpret_cast<const std::uint8_t*>(blocks.data()), 37);
  instructions(b, reinterpret_cast<const std::uint8_t*>(blocks.data()), 37);
  EXPECT_TRUE(std::equal(a, a + 8, b));
}

TEST(Sha256, HashTextsAreSixtyFourHexDigitsInAnyCase) {
  EXPECT_TRUE(IsSha256Text("BA7816BF8F01CFEA414140DE5DAE2223b00361a396177a9cb410ff61f20015ad"));
  EXPECT_FALSE(IsSha256Text("ba7816bf"));
  EXPECT_FALSE(IsSha256Text(std::string(63, 'a') + "g"));
}

}  // namespace
}  // namespace kelvano::test
