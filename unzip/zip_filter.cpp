#include "unzip/zip_filter.h"

#include <algorithm>

#include "system/text_encoding.h"

namespace kelvano {

std::optional<NamePattern> NamePattern::Parse(std::string_view pattern) {
  const std::u16string text = Utf8ToUtf16(pattern == "*.*" ? std::string_view("*") : pattern);
  NamePattern parsed;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c == u'*') {
      parsed.tokens_.emplace_back(Token::AnyRun);
    } else if (c == u'?') {
      parsed.tokens_.emplace_back(Token::AnyOne);
    } else if (c == u'#') {
      parsed.tokens_.emplace_back(Token::Digit);
    } else if (c == u'[') {
      const std::size_t close = text.find(u']', i + 1);
      if (close == std::u16string::npos) return std::nullopt;
      Token list(Token::List);
      std::size_t k = i + 1;
      if (k < close && text[k] == u'!') {
        list.negated = true;
        ++k;
      }
      for (; k < close; ++k) {
        // "a-z" is a range; a "-" first or last in the list stands for itself.
        if (k + 2 < close && text[k + 1] == u'-') {
          list.ranges.emplace_back(text[k], text[k + 2]);
          k += 2;
        } else {
          list.ranges.emplace_back(text[k], text[k]);
        }
      }
      parsed.tokens_.push_back(std::move(list));
      i = close;
    } else {
      parsed.tokens_.emplace_back(Token::Literal, c);
    }
  }
  return parsed;
}

bool NamePattern::MatchesOne(const Token& token, char16_t c) {
  switch (token.kind) {
    case Token::Literal: return c == token.literal;
    case Token::AnyOne: return true;
    case Token::Digit: return c >= u'0' && c <= u'9';
    case Token::List: {
      const bool listed = std::any_of(token.ranges.begin(), token.ranges.end(),
                                      [c](const auto& range) { return c >= range.first && c <= range.second; });
      return listed != token.negated;
    }
    case Token::AnyRun: break;
  }
  return false;
}

bool NamePattern::Matches(std::string_view name) const {
  const std::u16string text = Utf8ToUtf16(name);
  // Every token but "*" takes exactly one character, so backing up to the last "*"
  // is enough: no pattern costs more than text size times pattern size.
  std::size_t t = 0, p = 0;
  std::size_t lastRun = tokens_.size(), resumeAt = 0;
  while (t < text.size()) {
    if (p < tokens_.size() && tokens_[p].kind == Token::AnyRun) {
      lastRun = p++;
      resumeAt = t;
    } else if (p < tokens_.size() && MatchesOne(tokens_[p], text[t])) {
      ++p;
      ++t;
    } else if (lastRun != tokens_.size()) {
      p = lastRun + 1;
      t = ++resumeAt;
    } else {
      return false;
    }
  }
  while (p < tokens_.size() && tokens_[p].kind == Token::AnyRun) ++p;
  return p == tokens_.size();
}

}  // namespace kelvano
