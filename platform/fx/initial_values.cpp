#include "platform/fx/initial_values.h"

namespace fx {

namespace {

class InitializerReader {
 public:
  explicit InitializerReader(std::span<const Token> tokens) : tokens_(tokens) {}

  bool read(std::vector<double>& values) {
    if (!list(values, nullptr)) return false;
    return pos_ == tokens_.size();
  }

 private:
  bool list(std::vector<double>& values, const char* closer) {
    while (true) {
      if (!value(values)) return false;
      if (pos_ < tokens_.size() && tokens_[pos_].is(',')) {
        ++pos_;
        // A trailing comma before the closer is allowed in brace lists.
        if (closer != nullptr && pos_ < tokens_.size() && tokens_[pos_].is(*closer)) return true;
        continue;
      }
      return true;
    }
  }

  bool value(std::vector<double>& values) {
    if (pos_ >= tokens_.size()) return false;
    const Token& token = tokens_[pos_];
    if (token.is('{')) return enclosed(values, '}');
    if (token.is_word("true") || token.is_word("false")) {
      values.push_back(token.is_word("true") ? 1.0 : 0.0);
      ++pos_;
      return true;
    }
    if (token.is_identifier() && pos_ + 1 < tokens_.size() && tokens_[pos_ + 1].is('(')) {
      ++pos_;
      return enclosed(values, ')');
    }
    bool negative = false;
    if (token.is('-') || token.is('+')) {
      negative = token.is('-');
      ++pos_;
    }
    if (pos_ >= tokens_.size() || tokens_[pos_].kind != TokenKind::Number) return false;
    double number = 0.0;
    bool is_integer = false;
    if (!parse_number_literal(tokens_[pos_].text, number, is_integer)) return false;
    values.push_back(negative ? -number : number);
    ++pos_;
    return true;
  }

  bool enclosed(std::vector<double>& values, char closer) {
    // Each level recurses; real initial values nest a few levels at most.
    if (depth_ >= kMaxInitializerDepth) return false;
    ++depth_;
    ++pos_;
    const char closer_text[2] = {closer, '\0'};
    const bool read =
        list(values, closer_text) && pos_ < tokens_.size() && tokens_[pos_].is(closer);
    --depth_;
    if (!read) return false;
    ++pos_;
    return true;
  }

  std::span<const Token> tokens_;
  size_t pos_ = 0;
  size_t depth_ = 0;
};

}  // namespace

bool read_initial_values(std::span<const Token> tokens, std::vector<double>& values) {
  return InitializerReader(tokens).read(values);
}

}  // namespace fx
