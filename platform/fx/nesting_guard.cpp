#include "platform/fx/nesting_guard.h"

#include <cctype>
#include <cstdlib>

namespace fx {

namespace {

class NestingScanner {
 public:
  NestingScanner(std::string_view text, const std::string& name) : text_(text), file_(name) {}

  // False at the first bracket too deep; file() and line() then locate it.
  bool scan() {
    bool line_start = true;
    while (pos_ < text_.size()) {
      const char c = text_[pos_];
      if (c == '\n') {
        next_line();
        line_start = true;
        continue;
      }
      if (line_start && c == '#') line_directive();
      if (!std::isspace(static_cast<unsigned char>(c))) line_start = false;
      if (c == '/' && peek(1) == '/') {
        skip_until_line_end();
      } else if (c == '/' && peek(1) == '*') {
        skip_block_comment();
      } else if (c == '"' || c == '\'') {
        skip_literal(c);
      } else {
        if (c == '(' || c == '[' || c == '{') {
          if (++depth_ > kMaxNestingDepth) return false;
        } else if ((c == ')' || c == ']' || c == '}') && depth_ > 0) {
          --depth_;
        }
        ++pos_;
      }
    }
    return true;
  }

  const std::string& file() const { return file_; }
  size_t line() const { return line_; }

 private:
  char peek(size_t ahead) const { return pos_ + ahead < text_.size() ? text_[pos_ + ahead] : '\0'; }

  void next_line() {
    ++pos_;
    if (pending_line_ != 0) {
      line_ = pending_line_;
      pending_line_ = 0;
    } else {
      ++line_;
    }
  }

  void skip_until_line_end() {
    while (pos_ < text_.size() && text_[pos_] != '\n') ++pos_;
  }

  void skip_block_comment() {
    pos_ += 2;
    while (pos_ < text_.size() && !(text_[pos_] == '*' && peek(1) == '/')) {
      if (text_[pos_] == '\n') {
        next_line();
      } else {
        ++pos_;
      }
    }
    pos_ = pos_ < text_.size() ? pos_ + 2 : pos_;
  }

  void skip_literal(char quote) {
    ++pos_;
    while (pos_ < text_.size() && text_[pos_] != quote && text_[pos_] != '\n') {
      pos_ += text_[pos_] == '\\' ? 2 : 1;
    }
    if (pos_ < text_.size() && text_[pos_] == quote) ++pos_;
  }

  // "#line N" and "#line N "file"" name the next line; the directive's own
  // brackets are still counted (the preprocessor evaluates #if expressions
  // recursively too).
  void line_directive() {
    size_t at = pos_ + 1;
    while (at < text_.size() && (text_[at] == ' ' || text_[at] == '\t')) ++at;
    if (text_.compare(at, 4, "line") != 0) return;
    at += 4;
    const size_t end = std::min(text_.find('\n', at), text_.size());
    const std::string rest(text_.substr(at, end - at));
    char* after = nullptr;
    const long number = std::strtol(rest.c_str(), &after, 10);
    if (after == rest.c_str() || number <= 0) return;
    pending_line_ = static_cast<size_t>(number);
    const size_t open = rest.find('"', static_cast<size_t>(after - rest.c_str()));
    const size_t close = open == std::string::npos ? open : rest.find('"', open + 1);
    if (close != std::string::npos) file_ = rest.substr(open + 1, close - open - 1);
  }

  std::string_view text_;
  std::string file_;
  size_t pos_ = 0;
  size_t line_ = 1;
  size_t pending_line_ = 0;
  size_t depth_ = 0;
};

}  // namespace

bool check_nesting(std::string_view text, const std::string& name, std::string& message) {
  NestingScanner scanner(text, name);
  if (scanner.scan()) return true;
  message = scanner.file() + "(" + std::to_string(scanner.line()) +
            "): error: nesting deeper than " + std::to_string(kMaxNestingDepth) + "\n";
  return false;
}

}  // namespace fx
