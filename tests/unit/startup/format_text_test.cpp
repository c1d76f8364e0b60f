#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>

#include "startup/format_text.h"
#include "startup/messages.h"
#include "system/date_time.h"
#include "system/setup_error.h"
#include "system/text_encoding.h"

namespace kelvano::test {
namespace {

int ErrorNumberOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const SetupError& error) {
    return error.Number();
  }
  return 0;
}

TEST(FormatText, FillsPlaceholdersInOrder) {
  EXPECT_EQ(FormatText(LoadMessage(102, MessageLanguage::Italian), "5 MB", "10 MB"), "Scaricati 5 MB di 10 MB");
  EXPECT_EQ(FormatText("{1}-{0}-{1}", "a", "b"), "b-a-b");
  EXPECT_EQ(FormatText("{0} files", 42), "42 files");
  EXPECT_EQ(FormatText("{0}", 2.5), "2.5");
  EXPECT_EQ(FormatText("{1.6}{0.5}{abc}", "zero", "one", "two"), "twozerozero")
      << "the number is rounded half to even; a body of letters means value 0";
}

TEST(FormatText, EscapesBecomeLineBreaksAndTabsEverywhere) {
  EXPECT_EQ(FormatText("a\\nb"), "a\r\nb");
  EXPECT_EQ(FormatText("a\\tb"), "a\tb");
  EXPECT_EQ(FormatText("{0}", "x\\ny"), "x\r\ny") << "values are replaced too";
  EXPECT_EQ(FormatText("a\\Nb\\T"), "a\\Nb\\T") << "case-sensitive";
  EXPECT_EQ(FormatText("plain text"), "plain text");
}

TEST(FormatText, UnterminatedAndEmptyPlaceholders) {
  EXPECT_EQ(FormatText("{0} then {0", "v"), "v then {0");
  EXPECT_EQ(FormatText("x{}y"), "xy");
  EXPECT_EQ(FormatText("{0"), "{0");
  EXPECT_EQ(FormatText("} {0} }", "v"), "} v }");
  EXPECT_EQ(FormatText("{0}{\\n", "v"), "v{\r\n");
}

TEST(FormatText, PlaceholderWithoutValueRaises) {
  EXPECT_EQ(ErrorNumberOf([] { FormatText("{1}", "only one"); }), 9);
  EXPECT_EQ(ErrorNumberOf([] { FormatText("{0}"); }), 9);
  EXPECT_EQ(ErrorNumberOf([] { FormatText("{-1}", "v"); }), 9);
}

TEST(FormatText, DateForms) {
  const DateTime date{2026, 12, 8, 14, 5, 9};
  // The fixed forms used where there are no Windows regional settings.
  EXPECT_EQ(FormatText("{0:d}", date), "08/12/2026");
  EXPECT_EQ(FormatText("{0:G}", date), "08/12/2026 14:05:09");
  EXPECT_EQ(FormatText("{0:g}", date), "8 December 2026");
  EXPECT_EQ(FormatText("{0:T}", date), "14:05:09");
  EXPECT_EQ(FormatText("{0:t}", date), "14:05");
  EXPECT_EQ(FormatText("{0}", DateTime{2026, 12, 8}), "08/12/2026");
  EXPECT_EQ(FormatText("{0:d}", "2026-01-31"), "31/01/2026") << "a text that reads as a date";
  EXPECT_EQ(ErrorNumberOf([] { FormatText("{0:d}", "not a date"); }), 13);
}

TEST(FormatText, ATextReadsAsADateAsTheCLibraryScansIt) {
  // The reference: sscanf with "%4d-%2d-%2d %2d:%2d:%2d%c"; 3, 5 or 6 fields make a date.
  for (const char* text :
       {"2026-01-31", " 2026-1-2 ", "2026- 1- 2", "2026-01-02 3:04", "2026-01-02 03:04:05", "2026-01-02\t03:04:05",
        "2026-01-02x", "2026-01-02 03:04x", "+2026-01-02", "-2026-01-02", "2026-01-02 03:04:05x", "2026-01-02 -1:04",
        "20260-1-2", "2026-01", "2026-01-02 03", "2026-13-02", "2026-+1-02", "2026-01-02  03:04"}) {
    const std::string trimmed(TrimBlanks(text));
    DateTime date;
    char tail = 0;
    const int fields = std::sscanf(trimmed.c_str(), "%4d-%2d-%2d %2d:%2d:%2d%c", &date.year, &date.month, &date.day,
                                   &date.hour, &date.minute, &date.second, &tail);
    if ((fields == 3 || fields == 5 || fields == 6) && IsValidDate(date)) {
      char expected[64];
      std::snprintf(expected, sizeof expected, "%04d-%02d-%02d %02d:%02d:%02d", date.year, date.month, date.day,
                    date.hour, date.minute, date.second);
      EXPECT_EQ(FormatText("{0:yyyy-mm-dd hh:nn:ss}", text), expected) << text;
    } else {
      EXPECT_EQ(ErrorNumberOf([&] { FormatText("{0:d}", text); }), 13) << text << " is no date";
    }
  }
}

TEST(FormatText, DatePatterns) {
  const DateTime date{2026, 1, 4, 9, 7, 3};  // a Sunday
  EXPECT_EQ(FormatText("{0:yyyy-mm-dd hh:nn:ss}", date), "2026-01-04 09:07:03");
  EXPECT_EQ(FormatText("{0:dddd d mmmm yy}", date), "Sunday 4 January 26");
  EXPECT_EQ(FormatText("{0:hh:mm}", date), "09:07") << "m after h means minutes";
  EXPECT_EQ(FormatText("{0:w ww}", date), "1 2") << "weeks start on Sunday; week 1 holds 1 January";
  EXPECT_EQ(FormatText("{0:ww}", DateTime{2026, 1, 3}), "1");
  EXPECT_EQ(FormatText("{0:h AM/PM}", DateTime{2026, 1, 3, 15}), "3 PM");
}

TEST(FormatText, NumberPatterns) {
  EXPECT_EQ(FormatText("{0:#,##0.00}", 1234.5), "1,234.50");
  EXPECT_EQ(FormatText("{0:000}", 7), "007");
  EXPECT_EQ(FormatText("{0:0.#}", 2), "2");
  EXPECT_EQ(FormatText("{0:0.#}", 2.25), "2.3");
  EXPECT_EQ(FormatText("{0:0%}", 0.256), "26%");
  EXPECT_EQ(FormatText("{0:0.0;(0.0)}", -1.25), "(1.3)");
  EXPECT_EQ(FormatText("{0:#,##0}", "1234567"), "1,234,567");
  // Neither a value too large for its decimals nor decimals past a double's range
  // come out as "inf" or "nan", nor are digits cut short.
  EXPECT_THAT(FormatText("{0:0.00}", 2e306), ::testing::MatchesRegex("2[0-9]{306}\\.00"));
  EXPECT_THAT(FormatText("{0:0%}", 2e306), ::testing::MatchesRegex("2[0-9]{308}%"));
  EXPECT_EQ(FormatText("{0:0.0%}", 0.12345), "12.3%");
  EXPECT_EQ(FormatText("{0:0." + std::string(400, '0') + "}", 0.5), "0.5" + std::string(399, '0'));
}

}  // namespace
}  // namespace kelvano::test
