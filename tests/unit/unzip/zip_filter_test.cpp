// The wildcard patterns that select entries by name.
#include <gtest/gtest.h>

#include "unzip/zip_filter.h"

namespace kelvano {
namespace {

bool Matches(std::string_view pattern, std::string_view name) {
  const std::optional<NamePattern> parsed = NamePattern::Parse(pattern);
  EXPECT_TRUE(parsed.has_value()) << pattern;
  return parsed && parsed->Matches(name);
}

TEST(ZipFilter, StarAndQuestionMarkSpanAnyCharacters) {
  EXPECT_TRUE(Matches("*", ""));
  EXPECT_TRUE(Matches("*.*", "README")) << "\"*.*\" means every name";
  EXPECT_FALSE(Matches("*.?*", "README"));
  EXPECT_TRUE(Matches("*.exe", "bin\\Setup.exe")) << "\"*\" crosses folders";
  EXPECT_TRUE(Matches("Setup\\*", "Setup\\x\\y.msi"));
  EXPECT_TRUE(Matches("a*b*c", "aXXbYYbZZc"));
  EXPECT_FALSE(Matches("a*b*c", "aXXbYYbZZ"));
  EXPECT_TRUE(Matches("?.txt", "\xC3\xA9.txt")) << "\"?\" is one character, not one byte";
  EXPECT_FALSE(Matches("?.txt", "ab.txt"));
}

TEST(ZipFilter, MatchesCaseSensitively) {
  EXPECT_FALSE(Matches("*.EXE", "setup.exe"));
  EXPECT_TRUE(Matches("*.EXE", "SETUP.EXE"));
}

TEST(ZipFilter, DigitsAndBracketedLists) {
  EXPECT_TRUE(Matches("v#.cab", "v7.cab"));
  EXPECT_FALSE(Matches("v#.cab", "vx.cab"));
  EXPECT_TRUE(Matches("[abc]x", "bx"));
  EXPECT_FALSE(Matches("[abc]x", "dx"));
  EXPECT_TRUE(Matches("[!abc]x", "dx"));
  EXPECT_FALSE(Matches("[!abc]x", "ax"));
  EXPECT_TRUE(Matches("[a-f]1", "e1"));
  EXPECT_FALSE(Matches("[a-f]1", "g1"));
  EXPECT_TRUE(Matches("[-x]", "-"));
  EXPECT_TRUE(Matches("[*]", "*")) << "inside a list \"*\" stands for itself";
  EXPECT_FALSE(Matches("[*]", "a"));
}

TEST(ZipFilter, AnUnclosedListIsNoPattern) { EXPECT_FALSE(NamePattern::Parse("file[12.txt").has_value()); }

TEST(ZipFilter, LongRunsOfStarsStayFast) {
  const std::string name(5000, 'a');
  EXPECT_FALSE(Matches("*a*a*a*a*a*a*a*a*a*a*b", name));
}

}  // namespace
}  // namespace kelvano
