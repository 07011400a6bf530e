#include "platform/fx/fx_tokenizer.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

namespace fx {

namespace {

bool is_identifier_start(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool is_identifier_char(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }
bool is_digit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

class Tokenizer {
 public:
  Tokenizer(std::string_view text, const std::string& source_name) : text_(text) {
    result_.files.push_back(source_name);
  }

  TokenizedSource run() {
    bool line_start = true;
    while (pos_ < text_.size()) {
      char c = text_[pos_];
      if (c == '\n') {
        next_line();
        line_start = true;
        continue;
      }
      if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v') {
        ++pos_;
        continue;
      }
      if (c == '#' && line_start) {
        directive();
        continue;
      }
      line_start = false;
      if (c == '/' && peek(1) == '/') {
        while (pos_ < text_.size() && text_[pos_] != '\n') ++pos_;
      } else if (c == '/' && peek(1) == '*') {
        block_comment();
      } else if (is_identifier_start(c)) {
        take(TokenKind::Identifier, span_while(is_identifier_char));
      } else if (is_digit(c) || (c == '.' && is_digit(peek(1)))) {
        take(TokenKind::Number, number_length());
      } else if (c == '"' || c == '\'') {
        take(TokenKind::String, quoted_length(c));
      } else {
        take(TokenKind::Punct, 1);
      }
    }
    Token end;
    end.kind = TokenKind::End;
    end.offset = text_.size();
    end.file = file_;
    end.line = line_;
    result_.tokens.push_back(end);
    return std::move(result_);
  }

 private:
  char peek(size_t ahead) const { return pos_ + ahead < text_.size() ? text_[pos_ + ahead] : '\0'; }

  size_t span_while(bool (*accept)(char)) const {
    size_t end = pos_;
    while (end < text_.size() && accept(text_[end])) ++end;
    return end - pos_;
  }

  // Digits, a point, an exponent with its sign and suffix letters all belong
  // to one number ("1.5e-3f", "0x1F").
  size_t number_length() const {
    size_t end = pos_;
    bool hex = text_[pos_] == '0' && (peek(1) == 'x' || peek(1) == 'X');
    while (end < text_.size()) {
      char c = text_[end];
      if (is_identifier_char(c) || c == '.') {
        ++end;
      } else if ((c == '+' || c == '-') && !hex &&
                 (text_[end - 1] == 'e' || text_[end - 1] == 'E')) {
        ++end;
      } else {
        break;
      }
    }
    return end - pos_;
  }

  size_t quoted_length(char quote) const {
    size_t end = pos_ + 1;
    while (end < text_.size() && text_[end] != quote && text_[end] != '\n') {
      end += text_[end] == '\\' ? 2 : 1;
    }
    if (end < text_.size() && text_[end] == quote) ++end;
    return (end > text_.size() ? text_.size() : end) - pos_;
  }

  void block_comment() {
    pos_ += 2;
    while (pos_ < text_.size() && !(text_[pos_] == '*' && peek(1) == '/')) {
      if (text_[pos_] == '\n') ++line_;
      ++pos_;
    }
    pos_ = pos_ + 2 > text_.size() ? text_.size() : pos_ + 2;
  }

  void take(TokenKind kind, size_t length) {
    Token token;
    token.kind = kind;
    token.text = text_.substr(pos_, length);
    token.offset = pos_;
    token.file = file_;
    token.line = line_;
    result_.tokens.push_back(token);
    pos_ += length;
  }

  void next_line() {
    ++pos_;
    if (pending_line_ != 0) {
      line_ = pending_line_;
      file_ = pending_file_;
      pending_line_ = 0;
    } else {
      ++line_;
    }
  }

  // "#line N" and "#line N "name"" renumber the following line; other
  // directives are only recorded so that blanking leaves them alone.
  void directive() {
    size_t start = pos_;
    size_t end = text_.find('\n', pos_);
    if (end == std::string_view::npos) end = text_.size();
    std::string line(text_.substr(pos_ + 1, end - pos_ - 1));
    size_t word = line.find_first_not_of(" \t");
    if (word != std::string::npos && line.compare(word, 4, "line") == 0) {
      const char* cursor = line.c_str() + word + 4;
      char* after = nullptr;
      long number = std::strtol(cursor, &after, 10);
      if (after != cursor && number > 0) {
        pending_line_ = static_cast<uint32_t>(number);
        pending_file_ = file_;
        size_t open = line.find('"', static_cast<size_t>(after - line.c_str()));
        size_t close = open == std::string::npos ? open : line.find('"', open + 1);
        if (close != std::string::npos)
          pending_file_ = file_index(line.substr(open + 1, close - open - 1));
      }
    }
    result_.directives.emplace_back(start, end);
    pos_ = end;
  }

  uint32_t file_index(const std::string& name) {
    for (size_t i = 0; i < result_.files.size(); ++i) {
      if (result_.files[i] == name) return static_cast<uint32_t>(i);
    }
    result_.files.push_back(name);
    return static_cast<uint32_t>(result_.files.size() - 1);
  }

  std::string_view text_;
  size_t pos_ = 0;
  uint32_t line_ = 1;
  uint32_t file_ = 0;
  uint32_t pending_line_ = 0;
  uint32_t pending_file_ = 0;
  TokenizedSource result_;
};

}  // namespace

bool equals_ignoring_case(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

bool parse_number_literal(std::string_view text, double& value, bool& is_integer) {
  std::string digits(text);
  bool hex = digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X');
  // Type suffixes (f, h, u, l) say nothing about the value.
  while (!digits.empty() && !hex && std::strchr("fFhHuUlL", digits.back()) != nullptr)
    digits.pop_back();
  while (!digits.empty() && hex && std::strchr("uUlL", digits.back()) != nullptr) digits.pop_back();
  if (digits.empty()) return false;
  char* end = nullptr;
  const char* start = digits.c_str() + (hex ? 2 : 0);
  if (hex) {
    value = static_cast<double>(std::strtoull(start, &end, 16));
    is_integer = true;
  } else {
    value = std::strtod(digits.c_str(), &end);
    is_integer = digits.find_first_of(".eE") == std::string::npos;
  }
  return end != nullptr && *end == '\0' && end != start;
}

bool Token::is_word(std::string_view word) const {
  return kind == TokenKind::Identifier && equals_ignoring_case(text, word);
}

std::string TokenizedSource::where(const Token& token) const {
  return files[token.file] + "(" + std::to_string(token.line) + ")";
}

TokenizedSource tokenize(std::string_view text, const std::string& source_name) {
  return Tokenizer(text, source_name).run();
}

}  // namespace fx
