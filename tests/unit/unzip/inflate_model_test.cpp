// Random symbol sequences under random (often incomplete) codes of up to 15 bits: the
// decoder must produce what the sequence means, in plain deflate and deflate64, so
// the fast loop meets every kind of code, extra bits and refill at every bit position.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "tests/unit/unzip/inflate_test_support.h"

namespace kelvano::test {
namespace {

// Code lengths whose code space sums to at most one (incomplete codes are accepted);
// the needed symbols come first, so they surely get a code.
std::vector<unsigned> RandomLengths(std::mt19937& random, unsigned count, const std::vector<unsigned>& needed,
                                    unsigned shortest) {
  std::vector<unsigned> lengths(count, 0);
  std::uint32_t budget = 1u << 15;  // in units of a 15-bit code
  const auto give = [&](unsigned symbol, unsigned from) {
    unsigned length = from + random() % (16 - from);
    while (length < 15 && (1u << (15 - length)) > budget) ++length;
    if ((1u << (15 - length)) <= budget) {
      lengths[symbol] = length;
      budget -= 1u << (15 - length);
    }
  };
  for (unsigned symbol : needed) give(symbol, 3);
  for (unsigned symbol = 0; symbol < count; ++symbol)
    if (lengths[symbol] == 0 && random() % 3 != 0) give(symbol, shortest);
  return lengths;
}

std::vector<unsigned> Coded(const std::vector<unsigned>& lengths, unsigned from, unsigned to) {
  std::vector<unsigned> symbols;
  for (unsigned s = from; s < to; ++s)
    if (lengths[s] != 0) symbols.push_back(s);
  return symbols;
}

struct Model {
  Bytes stream;
  Bytes output;
};

Model RandomStream(std::uint32_t seed, bool deflate64) {
  std::mt19937 random(seed);
  BitWriter writer;
  Model model;
  Bytes& out = model.output;
  constexpr int kBlocks = 4;
  for (int block = 0; block < kBlocks; ++block) {
    const auto literalLengths = RandomLengths(random, 286, {'a', 256, 257, 270, 284, 285}, 1 + random() % 6);
    const auto distanceLengths = RandomLengths(random, 32, {0, 1, 15, 29, 31}, 1 + random() % 5);
    const DynamicCodes codes = WriteDynamicHeader(writer, block == kBlocks - 1, literalLengths, distanceLengths);
    const std::vector<unsigned> literals = Coded(literalLengths, 0, 256);
    const std::vector<unsigned> lengthSymbols = Coded(literalLengths, 257, 286);
    const std::vector<unsigned> distanceSymbols = Coded(distanceLengths, 0, 32);

    for (int n = 0; n < 2000; ++n) {
      std::vector<unsigned> reachable;  // distance symbols whose base lies inside the output
      for (unsigned s : distanceSymbols)
        if (DistanceBase(s) <= out.size()) reachable.push_back(s);
      if (reachable.empty() || random() % 2 == 0) {
        const unsigned literal = literals[random() % literals.size()];
        WriteSymbol(writer, codes, literal);
        out.push_back(std::uint8_t(literal));
        continue;
      }
      const unsigned symbol = lengthSymbols[random() % lengthSymbols.size()];
      const bool long64 = symbol == 285 && deflate64;
      const unsigned extraBits = long64 ? 16 : LengthExtraBits(symbol);
      const unsigned extra = long64 ? random() % 3000 : random() % (1u << extraBits);
      const unsigned length = (long64 ? 3 : LengthBase(symbol)) + extra;
      const unsigned distanceSymbol = reachable[random() % reachable.size()];
      const unsigned base = DistanceBase(distanceSymbol);
      const std::size_t span = std::min<std::size_t>(1u << DistanceExtraBits(distanceSymbol), out.size() - base + 1);
      const unsigned distance = base + unsigned(random() % span);
      WriteSymbol(writer, codes, symbol);
      writer.Bits(extra, extraBits);
      writer.Code(codes.distance[distanceSymbol], codes.distanceLengths[distanceSymbol]);
      writer.Bits(distance - base, DistanceExtraBits(distanceSymbol));
      AppendMatch(out, length, distance);
    }
    WriteSymbol(writer, codes, 256);
  }
  model.stream = writer.Finish();
  return model;
}

class RandomCodes : public ::testing::TestWithParam<inflate::FastLoopKind> {};

TEST_P(RandomCodes, DecodeToWhatTheirSymbolsMean) {
  FastLoopScope loop(GetParam());
  if (!loop.Available()) GTEST_SKIP() << "this processor cannot run it";
  for (bool deflate64 : {false, true}) {
    for (std::uint32_t seed = 1; seed <= 10; ++seed) {
      SCOPED_TRACE((deflate64 ? "deflate64 seed " : "deflate seed ") + std::to_string(seed));
      const Model model = RandomStream(seed, deflate64);
      const DecodeResult result = Decode(model.stream, model.output.size(), deflate64);
      ASSERT_TRUE(result.ok) << (result.raised ? *result.raised : "");
      ASSERT_EQ(result.produced, model.output.size());
      ASSERT_TRUE(result.output == model.output);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Inflate, RandomCodes,
                         ::testing::Values(inflate::FastLoopKind::kPortable, inflate::FastLoopKind::kBmi2),
                         [](const auto& info) { return std::string(FastLoopName(info.param)); });

// The most bits a round of the fast loop can take: one to three literals of the main
// table's longest codes, then a length and a distance of its longest codes with all
// their extra bits (deflate64's 16 among them), at every bit offset.
class LongestCodes : public ::testing::TestWithParam<inflate::FastLoopKind> {};

TEST_P(LongestCodes, FitTheFastLoopsBitBudget) {
  FastLoopScope loop(GetParam());
  if (!loop.Available()) GTEST_SKIP() << "this processor cannot run it";
  for (bool deflate64 : {false, true}) {
    SCOPED_TRACE(deflate64 ? "deflate64" : "deflate");
    std::mt19937 random(7);
    const Bytes history = RandomBytes(65536, 5);
    BitWriter writer;
    writer.Stored(false, Bytes(history.begin(), history.begin() + 65535));
    writer.Stored(false, Bytes(history.begin() + 65535, history.end()));
    std::vector<unsigned> literalLengths(286, 0);
    literalLengths['a'] = literalLengths['b'] = literalLengths[256] = literalLengths[284] = literalLengths[285] = 12;
    std::vector<unsigned> distanceLengths(32, 0);
    distanceLengths[0] = distanceLengths[31] = 8;
    const DynamicCodes codes = WriteDynamicHeader(writer, true, literalLengths, distanceLengths);
    Bytes expected = history;
    for (int n = 0; n < 1000; ++n) {
      for (unsigned literals = 1 + random() % 3; literals != 0; --literals) {
        const std::uint8_t literal = random() % 2 ? 'a' : 'b';
        WriteSymbol(writer, codes, literal);
        expected.push_back(literal);
      }
      unsigned length = 258;  // 227 and 5 extra bits
      if (deflate64) {
        length = 3 + random() % 1000;
        WriteSymbol(writer, codes, 285);
        writer.Bits(length - 3, 16);
      } else {
        WriteSymbol(writer, codes, 284);
        writer.Bits(31, 5);
      }
      const unsigned distance = 49153 + random() % 16384;  // 14 extra bits
      writer.Code(codes.distance[31], 8).Bits(distance - 49153, 14);
      AppendMatch(expected, length, distance);
    }
    WriteSymbol(writer, codes, 256);
    const DecodeResult result = Decode(writer.Finish(), expected.size(), deflate64);
    ASSERT_TRUE(result.ok) << (result.raised ? *result.raised : "");
    ASSERT_TRUE(result.output == expected);
  }
}

INSTANTIATE_TEST_SUITE_P(Inflate, LongestCodes,
                         ::testing::Values(inflate::FastLoopKind::kPortable, inflate::FastLoopKind::kBmi2),
                         [](const auto& info) { return std::string(FastLoopName(info.param)); });

}  // namespace
}  // namespace kelvano::test
