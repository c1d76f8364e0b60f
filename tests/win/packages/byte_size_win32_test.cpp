// The portable byte-size rule against the shell's own StrFormatByteSize, value by value.
#include <windows.h>

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "packages/byte_size.h"
#include "system/win32/wide_text.h"

namespace kelvano::test {
namespace {

std::string UserDecimalSeparator() {
  wchar_t separator[8] = {};
  GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator, 8);
  return Narrow(separator);
}

std::vector<std::uint32_t> ValuesToCompare() {
  std::vector<std::uint32_t> values;
  // Around every place where the unit or the number of decimals changes.
  for (std::uint64_t unit = 1; unit <= (std::uint64_t{1} << 30); unit *= 1024) {
    for (std::uint64_t times : {1, 10, 100, 1000, 1024}) {
      for (std::int64_t delta = -3; delta <= 3; ++delta) {
        const std::int64_t value = static_cast<std::int64_t>(unit * times) + delta;
        if (value >= 0 && value <= 0xFFFFFFFF) values.push_back(static_cast<std::uint32_t>(value));
      }
    }
  }
  // Every size from the smallest to the largest, a little over one percent apart.
  for (double value = 0; value < 4294967296.0; value = value * 1.011 + 1)
    values.push_back(static_cast<std::uint32_t>(value));
  std::mt19937 random(20240611);
  for (int i = 0; i < 20000; ++i) values.push_back(static_cast<std::uint32_t>(random()));
  values.push_back(0xFFFFFFFFu);
  return values;
}

TEST(ByteSizeOnWindows, PortableRuleWritesWhatTheShellWrites) {
  // The rule knows the English unit names only.
  if (PRIMARYLANGID(GetUserDefaultUILanguage()) != LANG_ENGLISH) GTEST_SKIP() << "not an English user interface";
  const std::string separator = UserDecimalSeparator();
  int compared = 0;
  for (std::uint32_t value : ValuesToCompare()) {
    ASSERT_EQ(FormatByteSize(static_cast<std::int32_t>(value)), ShortByteSizeText(value, separator)) << value;
    ++compared;
  }
  EXPECT_GT(compared, 20000);
}

TEST(ByteSizeOnWindows, KnownTexts) {
  if (PRIMARYLANGID(GetUserDefaultUILanguage()) != LANG_ENGLISH) GTEST_SKIP() << "not an English user interface";
  EXPECT_EQ(FormatByteSize(532), "532 bytes");
  EXPECT_EQ(FormatByteSize(2400016), "2.28 MB");
  EXPECT_EQ(FormatByteSize(-1), "3.99 GB");
}

}  // namespace
}  // namespace kelvano::test
