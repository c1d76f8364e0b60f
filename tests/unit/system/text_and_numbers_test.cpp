#include <gtest/gtest.h>

#include "system/number_text.h"
#include "system/setup_error.h"
#include "system/text_encoding.h"

namespace kelvano::test {
namespace {

TEST(LeadingNumber, ReadsTheNumberAtTheStartOfATextOnly) {
  EXPECT_EQ(LeadingNumber("8080"), 8080);
  EXPECT_EQ(LeadingNumber("  80.5 "), 80.5);
  EXPECT_EQ(LeadingNumber("528040abc"), 528040);
  EXPECT_EQ(LeadingNumber("-3"), -3);
  EXPECT_EQ(LeadingNumber("1e3x"), 1000);
  EXPECT_EQ(LeadingNumber("abc"), 0);
  EXPECT_EQ(LeadingNumber(""), 0);
  EXPECT_EQ(LeadingNumber(".5"), 0.5);
  EXPECT_EQ(LeadingNumber("-"), 0);
}

TEST(LeadingNumber, RoundingAndRanges) {
  EXPECT_EQ(RoundHalfEven(80.5), 80);
  EXPECT_EQ(RoundHalfEven(81.5), 82);
  EXPECT_EQ(RoundHalfEven(-0.5), 0);
  EXPECT_EQ(RoundHalfEven(-1.5), -2);
  EXPECT_EQ(ToInt16(32767.4, "t"), 32767);
  EXPECT_THROW(ToInt16(32767.5, "t"), SetupError);
  EXPECT_THROW(ToInt16(70000, "t"), SetupError);
  EXPECT_EQ(ToInt32(-2147483648.0, "t"), INT32_MIN);
  EXPECT_THROW(ToInt32(2147483648.0, "t"), SetupError);
  EXPECT_EQ(ParseWholeNumber(" 12 "), 12);
  EXPECT_EQ(ParseWholeNumber("12x"), std::nullopt);
  EXPECT_EQ(NumberToText(42), "42");
  EXPECT_EQ(NumberToText(-0.25), "-0.25");
}

TEST(TextEncoding, Utf8RoundTripsAndInvalidBytesAreDetected) {
  const std::string text = "Sala è € 𝄞";
  EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16(text)), text);
  EXPECT_TRUE(IsValidUtf8(text));
  EXPECT_FALSE(IsValidUtf8("Caff\xE8"));
  EXPECT_FALSE(IsValidUtf8("\xC0\xAF")) << "overlong form";
  EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80")) << "surrogate";
  EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80")) << "past U+10FFFF";
}

TEST(TextEncoding, WesternCodePages) {
  EXPECT_EQ(DecodeWindows1252("\x80\xE8\x9F"), "€èŸ");
  EXPECT_EQ(DecodeCp437("\x82\x85\xE1"), "éàß");
  EXPECT_EQ(AsciiLower("PRODUCT Code"), "product code");
  EXPECT_TRUE(EqualsIgnoreAsciiCase("Server", "sERVER"));
  EXPECT_EQ(TrimBlanks(" \t x y \t"), "x y");
}

}  // namespace
}  // namespace kelvano::test
