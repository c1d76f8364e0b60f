// Streams built bit by bit: every ordinary error text, every run-time error and the
// corners of the format (stored blocks, long matches, deflate64, mixed blocks).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/unit/unzip/inflate_test_support.h"

namespace kelvano::test {
namespace {

using ::testing::ElementsAre;

// Also: what the output has room for beyond the bytes produced stays zero, as in a
// new output file of the announced size.
void ExpectOutput(const DecodeResult& result, const Bytes& expected) {
  ASSERT_TRUE(result.ok) << (result.raised ? *result.raised : "") << ::testing::PrintToString(result.host.errors);
  EXPECT_EQ(result.produced, expected.size());
  EXPECT_TRUE(result.output == expected);
  EXPECT_TRUE(result.guardIntact);
  EXPECT_TRUE(result.restZero);
}

void ExpectError(const DecodeResult& result, const std::string& text) {
  EXPECT_FALSE(result.ok);
  EXPECT_FALSE(result.raised) << *result.raised;
  EXPECT_THAT(result.host.errors, ElementsAre(text));
  EXPECT_TRUE(result.guardIntact);
}

void ExpectRunTimeError(const DecodeResult& result) {
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.raised, "9 cUnzip Subscript out of range");
  EXPECT_TRUE(result.host.errors.empty());
  EXPECT_TRUE(result.guardIntact);
}

Bytes Concat(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

TEST(StoredBlocks, CopyTheirBytesAndAcceptAnEmptyFinalBlockEndingTheInput) {
  BitWriter writer;
  writer.Header(false, 1).FixedLiteral('a').FixedEnd();  // leaves the stream off a byte boundary
  writer.Stored(false, ToBytes("stored bytes"));
  writer.Stored(true, {});
  const Bytes stream = writer.Finish();
  const DecodeResult result = Decode(stream, 100);
  ExpectOutput(result, ToBytes("astored bytes"));
  ASSERT_EQ(result.host.progress.size(), 3u);
  EXPECT_EQ(result.host.progress.back(), std::make_pair(std::uint64_t(stream.size()), std::uint64_t(stream.size())));

  // The same with no room to spare, and an empty block alone.
  ExpectOutput(Decode(stream, 13), ToBytes("astored bytes"));
  ExpectOutput(Decode(BitWriter().Stored(true, {}).Finish(), 0), {});
}

TEST(StoredBlocks, ReportLengthMismatchShortInputAndShortOutput) {
  Bytes mismatch = BitWriter().Stored(true, ToBytes("abc")).Finish();
  mismatch[3] ^= 1;  // NLEN no longer the complement of LEN
  ExpectError(Decode(mismatch, 10), "Invalid block size");

  const Bytes whole = BitWriter().Stored(true, ToBytes("abcdef")).Finish();
  ExpectError(Decode(Bytes(whole.begin(), whole.begin() + 4), 10), "InStream depleated");  // header cut
  ExpectError(Decode(Bytes(whole.begin(), whole.end() - 1), 10), "InStream depleated");    // data cut
  const DecodeResult overflow = Decode(whole, 5);
  ExpectError(overflow, "OutStream overflow");
  EXPECT_TRUE(overflow.output == Bytes(5, 0));  // nothing of the block written
}

TEST(BlockHeaders, TypeThreeIsAnError) {
  ExpectError(Decode(BitWriter().Header(true, 3).Finish(), 10), "Error in compressed data");
}

TEST(DynamicHeaders, ReportRepeatsWithoutAPreviousLengthOrPastTheEnd) {
  BitWriter first;
  first.Header(true, 2);
  WriteDynamicPrefix(first, 257, 1);
  WriteCodeLengthSymbol(first, 16, 0);
  ExpectError(Decode(first.Finish(), 10), "Dynamic tree: no last Length");

  BitWriter zeros;  // 257 + 1 lengths, then 138 + 138 zeros
  zeros.Header(true, 2);
  WriteDynamicPrefix(zeros, 257, 1);
  WriteCodeLengthSymbol(zeros, 18, 127);
  WriteCodeLengthSymbol(zeros, 18, 127);
  ExpectError(Decode(zeros.Finish(), 10), "Dynamic tree: too many Lengths");

  BitWriter previous;  // a run of the previous length passing the end by one
  previous.Header(true, 2);
  WriteDynamicPrefix(previous, 257, 1);
  for (int i = 0; i < 255; ++i) WriteCodeLengthSymbol(previous, 8);
  WriteCodeLengthSymbol(previous, 16, 1);  // 4 more where 3 are left
  ExpectError(Decode(previous.Finish(), 10), "Dynamic tree: too many Lengths");
}

TEST(DynamicHeaders, AcceptARepeatRunningFromLiteralIntoDistanceLengths) {
  // Symbols 'a', 256 and 257 and distances 0-2, all of 2 bits; the length of 256
  // repeats over 257 and the three distances.
  BitWriter writer;
  writer.Header(true, 2);
  WriteDynamicPrefix(writer, 258, 3);
  WriteCodeLengthSymbol(writer, 18, 97 - 11);  // 0-96
  WriteCodeLengthSymbol(writer, 2);            // 'a'
  WriteCodeLengthSymbol(writer, 18, 138 - 11);
  WriteCodeLengthSymbol(writer, 18, 20 - 11);  // up to 255
  WriteCodeLengthSymbol(writer, 2);            // 256
  WriteCodeLengthSymbol(writer, 16, 1);        // 257 and distances 0-2
  std::vector<unsigned> literal(258, 0);
  literal['a'] = literal[256] = literal[257] = 2;
  const DynamicCodes codes = MakeCodes(literal, {2, 2, 2});
  WriteSymbol(writer, codes, 'a');
  WriteMatch(writer, codes, 3, 1);
  WriteSymbol(writer, codes, 256);
  ExpectOutput(Decode(writer.Finish(), 10), ToBytes("aaaa"));
}

TEST(DynamicHeaders, OverSubscribedCodesAreErrorsIncompleteOnesAreAccepted) {
  BitWriter literal;
  std::vector<unsigned> tooMany(257, 0);
  tooMany['a'] = tooMany['b'] = tooMany[256] = 1;
  WriteDynamicHeader(literal, true, tooMany, {1});
  ExpectError(Decode(literal.Finish(), 10), "Dynamic tree: Huffman tree over subscribe");

  BitWriter distance;
  std::vector<unsigned> fine(257, 0);
  fine['a'] = fine[256] = 1;
  WriteDynamicHeader(distance, true, fine, {1, 1, 1});
  ExpectError(Decode(distance.Finish(), 10), "Dynamic tree: Huffman tree over subscribe");

  BitWriter codeLengths;  // all 19 code-length symbols of 1 bit
  codeLengths.Header(true, 2).Bits(0, 5).Bits(0, 5).Bits(15, 4);
  for (int i = 0; i < 19; ++i) codeLengths.Bits(1, 3);
  ExpectError(Decode(codeLengths.Finish(), 10), "Dynamic tree: Huffman tree over subscribe");

  // 'a' and the end of block take half the code space; no distance code at all.
  BitWriter incomplete;
  std::vector<unsigned> half(257, 0);
  half['a'] = half[256] = 2;
  const DynamicCodes codes = WriteDynamicHeader(incomplete, true, half, {0});
  WriteSymbol(incomplete, codes, 'a');
  WriteSymbol(incomplete, codes, 'a');
  WriteSymbol(incomplete, codes, 256);
  ExpectOutput(Decode(incomplete.Finish(), 10), ToBytes("aa"));
}

TEST(RunTimeErrors, CodesThatMatchNoSymbol) {
  std::vector<unsigned> half(257, 0);
  half['a'] = half[256] = 2;
  BitWriter literal;  // code 11 unused
  WriteDynamicHeader(literal, true, half, {1});
  WriteSymbol(literal, MakeCodes(half, {1}), 'a');
  literal.Code(3, 2);
  ExpectRunTimeError(Decode(literal.Finish(), 10));

  half.push_back(2);  // length symbol 257; distance code 1 unused
  BitWriter distance;
  const DynamicCodes codes = WriteDynamicHeader(distance, true, half, {1});
  WriteSymbol(distance, codes, 'a');
  WriteSymbol(distance, codes, 257);
  distance.Code(1, 1);
  ExpectRunTimeError(Decode(distance.Finish(), 10));

  BitWriter noDistanceCodes;
  const DynamicCodes none = WriteDynamicHeader(noDistanceCodes, true, half, {0});
  WriteSymbol(noDistanceCodes, none, 'a');
  WriteSymbol(noDistanceCodes, none, 257);
  ExpectRunTimeError(Decode(noDistanceCodes.Finish(), 10));

  BitWriter codeLength;  // only code-length symbol 0, code 0; then a 1 bit
  codeLength.Header(true, 2).Bits(0, 5).Bits(0, 5).Bits(0, 4).Bits(0, 3).Bits(0, 3).Bits(0, 3).Bits(1, 3).Bits(1, 1);
  ExpectRunTimeError(Decode(codeLength.Finish(), 10));

  // Cut after its type, a dynamic block reads zeros: no code-length code at all.
  ExpectRunTimeError(Decode(BitWriter().Header(true, 2).Finish(), 10));
}

TEST(RunTimeErrors, LengthSymbols286And287WhenDecodedOnly) {
  std::vector<unsigned> lengths(288, 0);
  lengths['a'] = lengths[256] = lengths[286] = lengths[287] = 2;
  for (unsigned symbol : {286u, 287u}) {
    BitWriter writer;
    const DynamicCodes codes = WriteDynamicHeader(writer, false, lengths, std::vector<unsigned>(32, 5));
    WriteSymbol(writer, codes, 'a');
    WriteSymbol(writer, codes, 256);  // a block that has them in its code is fine
    WriteDynamicHeader(writer, true, lengths, std::vector<unsigned>(32, 5));
    WriteSymbol(writer, codes, 'a');
    WriteSymbol(writer, codes, symbol);
    const DecodeResult result = Decode(writer.Finish(), 10);
    ExpectRunTimeError(result);
    EXPECT_EQ(result.host.progress.size(), 1u);
  }
}

TEST(RunTimeErrors, DistancesBeforeTheOutputAndWritesPastItsEnd) {
  ExpectRunTimeError(
      Decode(BitWriter().Header(true, 1).FixedLiteral('a').FixedLiteral('b').FixedMatch(3, 3).Finish(), 10));

  const Bytes literals =
      BitWriter().Header(true, 1).FixedLiteral('a').FixedLiteral('b').FixedLiteral('c').FixedEnd().Finish();
  ExpectRunTimeError(Decode(literals, 2));
  ExpectOutput(Decode(literals, 3), ToBytes("abc"));

  const Bytes match = BitWriter().Header(true, 1).FixedLiteral('a').FixedMatch(258, 1).FixedEnd().Finish();
  for (std::size_t capacity : {1, 10, 250, 258}) ExpectRunTimeError(Decode(match, capacity));
  ExpectOutput(Decode(match, 259), Bytes(259, 'a'));

  // Two literals decoded at once still stop at the end of the output.
  std::vector<unsigned> lengths(257, 0);
  lengths['a'] = lengths['b'] = lengths['c'] = lengths[256] = 2;
  BitWriter pairs;
  const DynamicCodes codes = WriteDynamicHeader(pairs, true, lengths, {1});
  for (char c : std::string("abcab")) WriteSymbol(pairs, codes, std::uint8_t(c));
  WriteSymbol(pairs, codes, 256);
  for (std::size_t capacity : {0, 1, 2, 4}) ExpectRunTimeError(Decode(pairs.Finish(), capacity));
  ExpectOutput(Decode(pairs.Finish(), 5), ToBytes("abcab"));
}

TEST(Matches, DistanceOneLength258RepeatsTheLastByte) {
  BitWriter writer;
  writer.Header(true, 1).FixedLiteral('x').FixedLiteral('y').FixedMatch(258, 1).FixedMatch(258, 2).FixedEnd();
  Bytes expected = ToBytes("xy");
  AppendMatch(expected, 258, 1);
  AppendMatch(expected, 258, 2);
  ExpectOutput(Decode(writer.Finish(), 1000), expected);
}

// The fast loop's copy, every path (pattern, words, 16-byte pieces) at every length:
// the bytes a byte-by-byte copy makes, and nothing written beyond its scratch (the
// buffer ends there, which the sanitizer guards).
TEST(Matches, FastCopyMatchesTheByteByByteCopyWithinItsScratch) {
  for (unsigned distance = 1; distance <= 300; distance += distance < 48 ? 1 : 41) {
    for (unsigned length = 3; length <= 258; ++length) {
      Bytes buffer = RandomBytes(distance + length + inflate::kOvershoot, distance * 1000 + length);
      Bytes expected(buffer.begin(), buffer.begin() + distance);
      AppendMatch(expected, length, distance);
      inflate::CopyMatchFast(buffer.data() + distance, distance, length);
      ASSERT_TRUE(std::equal(expected.begin(), expected.end(), buffer.begin()))
          << "distance " << distance << " length " << length;
    }
  }
}

TEST(Matches, ReachBackUpTo65536InBothMethods) {
  const Bytes history = RandomBytes(65536, 9);
  for (bool deflate64 : {false, true}) {
    BitWriter writer;
    writer.Stored(false, Bytes(history.begin(), history.begin() + 65535));
    writer.Stored(false, Bytes(history.begin() + 65535, history.end()));
    writer.Header(false, 1);
    Bytes expected = history;
    for (unsigned distance : {65536u, 65535u, 49153u, 49152u, 32769u, 32768u, 24577u}) {
      writer.FixedMatch(257, distance);
      AppendMatch(expected, 257, distance);
    }
    writer.FixedEnd();
    const DynamicCodes codes = WriteDynamicHeader(writer, true, TypicalLiteralLengths(), std::vector<unsigned>(32, 5));
    for (unsigned distance : {65536u, 50000u, 40000u, 32769u}) {
      WriteMatch(writer, codes, 100, distance);
      AppendMatch(expected, 100, distance);
    }
    WriteSymbol(writer, codes, 256);
    ExpectOutput(Decode(writer.Finish(), expected.size(), deflate64), expected);
  }
}

TEST(Deflate64, LengthSymbol285Takes16ExtraBits) {
  BitWriter writer;
  writer.Header(true, 1).FixedLiteral('a').FixedLiteral('b');
  writer.FixedSymbol(285).Bits(1000, 16).Code(1, 5);      // 3 + 1000 bytes at distance 2
  writer.FixedSymbol(285).Bits(65535, 16).Code(0, 5);     // the longest: 65538 at distance 1
  for (int i = 0; i < 40; ++i) writer.FixedLiteral('z');  // input enough for the fast loop
  writer.FixedEnd();
  Bytes expected = ToBytes("ab");
  AppendMatch(expected, 1003, 2);
  AppendMatch(expected, 65538, 1);
  expected.insert(expected.end(), 40, 'z');
  const Bytes stream = writer.Finish();
  ExpectOutput(Decode(stream, expected.size(), true), expected);
  ExpectRunTimeError(Decode(stream, 2 + 1003 + 65537, true));  // one short for the long match
  ExpectRunTimeError(Decode(Bytes(stream.begin(), stream.begin() + 12), 2 + 1003 + 65537, true));

  // In plain deflate the same symbol is 258 without extra bits.
  const Bytes plain = BitWriter().Header(true, 1).FixedLiteral('a').FixedSymbol(285).Code(0, 5).FixedEnd().Finish();
  ExpectOutput(Decode(plain, 1000), Bytes(259, 'a'));
}

TEST(Deflate64, Symbol284WithAllExtraBitsSetIs258InBothMethods) {
  // 227 + 31: only symbol 285 changes meaning in deflate64.
  const Bytes stream =
      BitWriter().Header(true, 1).FixedLiteral('a').FixedSymbol(284).Bits(31, 5).Code(0, 5).FixedEnd().Finish();
  ExpectOutput(Decode(stream, 1000, false), Bytes(259, 'a'));
  ExpectOutput(Decode(stream, 1000, true), Bytes(259, 'a'));
}

TEST(MixedBlocks, DecodeInAnyOrderWithMatchesAcrossBlocks) {
  BitWriter writer;
  Bytes expected;
  const auto fixedBlock = [&](const std::string& text, unsigned distance) {
    writer.Header(false, 1);
    for (char c : text) writer.FixedLiteral(std::uint8_t(c));
    expected = Concat(expected, ToBytes(text));
    writer.FixedMatch(20, distance);
    AppendMatch(expected, 20, distance);
    writer.FixedEnd();
  };
  const auto dynamicBlock = [&](const std::string& text, unsigned distance) {
    const DynamicCodes codes = WriteDynamicHeader(writer, false, TypicalLiteralLengths(), TypicalDistanceLengths());
    for (char c : text) WriteSymbol(writer, codes, std::uint8_t(c));
    expected = Concat(expected, ToBytes(text));
    WriteMatch(writer, codes, 30, distance);
    AppendMatch(expected, 30, distance);
    WriteSymbol(writer, codes, 256);
  };
  fixedBlock("fixed one ", 10);
  dynamicBlock("dynamic one ", 25);
  fixedBlock("fixed again, same tables ", 50);
  writer.Stored(false, ToBytes("stored "));
  expected = Concat(expected, ToBytes("stored "));
  dynamicBlock("dynamic two ", 100);
  dynamicBlock("", 3);
  fixedBlock("last ", 7);
  writer.Stored(true, {});
  const Bytes stream = writer.Finish();
  const DecodeResult result = Decode(stream, expected.size() + 5);
  ExpectOutput(result, expected);

  ASSERT_EQ(result.host.progress.size(), 8u);
  for (std::size_t i = 0; i < result.host.progress.size(); ++i) {
    EXPECT_EQ(result.host.progress[i].second, stream.size());
    if (i > 0) {
      EXPECT_LT(result.host.progress[i - 1].first, result.host.progress[i].first);
    }
  }
  EXPECT_EQ(result.host.progress.back().first, stream.size());
}

TEST(FinalBlock, EndsTheStreamWhateverFollowsAndLeavesTheRestOfTheOutputZero) {
  BitWriter writer;
  writer.Header(true, 1).FixedLiteral('a').FixedMatch(3, 1).FixedLiteral('b').FixedMatch(10, 2).FixedEnd();
  Bytes stream = writer.Finish();
  stream.insert(stream.end(), 100, 0xFF);  // not examined
  Bytes expected = ToBytes("a");
  AppendMatch(expected, 3, 1);
  expected.push_back('b');
  AppendMatch(expected, 10, 2);
  ExpectOutput(Decode(stream, 1000), expected);
}

TEST(ShortInput, ReadsZeroBitsInsideHuffmanBlocks) {
  // The end-of-block code is seven zero bits: a final block cut before it ends well.
  BitWriter cut;
  cut.Header(true, 1).FixedLiteral('a').FixedLiteral('b');
  ExpectOutput(Decode(cut.Finish(), 10), ToBytes("ab"));

  // Past a non-final block the zeros read as a stored block that cannot be there.
  BitWriter notFinal;
  notFinal.Header(false, 1).FixedLiteral('a').FixedEnd();
  ExpectError(Decode(notFinal.Finish(), 10), "InStream depleated");

  // Zeros after a match's code: its extra bits and distance read as zeros.
  BitWriter match;
  match.Header(true, 1).FixedLiteral('a').FixedLiteral('b').FixedSymbol(266);  // 13 + 1 extra bit
  ExpectOutput(Decode(match.Finish(), 100), Concat(ToBytes("ab"), Bytes(13, 'b')));
}

}  // namespace
}  // namespace kelvano::test
