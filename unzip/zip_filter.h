#pragma once
// Which entries an extraction takes: all of them, those whose names match a pattern,
// or those whose index is true in an array.

#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace kelvano {

using ZipFilter = std::variant<std::monostate, std::string, std::vector<bool>>;

// A wildcard pattern, matched case-sensitively against a whole name: "*" any run of
// characters ("\" included), "?" one character, "#" one digit, "[abc]" or "[a-c]" one
// character of the list, "[!abc]" one character outside it; anything else stands for
// itself. "*.*" means every name, also names without a dot.
class NamePattern {
 public:
  // Nothing when a "[" is never closed.
  static std::optional<NamePattern> Parse(std::string_view pattern);
  bool Matches(std::string_view name) const;

 private:
  struct Token {
    enum Kind { Literal, AnyOne, Digit, AnyRun, List };
    Kind kind;
    char16_t literal = 0;
    bool negated = false;
    std::vector<std::pair<char16_t, char16_t>> ranges;  // of a list

    Token(Kind k, char16_t c = 0) : kind(k), literal(c) {}
  };
  static bool MatchesOne(const Token& token, char16_t c);

  std::vector<Token> tokens_;
};

}  // namespace kelvano
