#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Splits preprocessed effect source into tokens that remember their byte
// offset (so effect syntax can be blanked in place) and their file and line
// (followed through "#line" directives, so messages name the right file).
namespace fx {

enum class TokenKind : uint8_t { Identifier, Number, String, Punct, End };

struct Token {
  TokenKind kind = TokenKind::End;
  std::string_view text;
  size_t offset = 0;
  uint32_t file = 0;  // index into TokenizedSource::files
  uint32_t line = 1;

  bool is(char punct) const {
    return kind == TokenKind::Punct && text.size() == 1 && text[0] == punct;
  }
  bool is_identifier() const { return kind == TokenKind::Identifier; }
  // Effect keywords and state names are not case-sensitive.
  bool is_word(std::string_view word) const;
};

struct TokenizedSource {
  std::vector<Token> tokens;  // always ends with an End token
  std::vector<std::string> files;
  // Byte ranges [first, second) of preprocessor lines; blanking leaves them.
  std::vector<std::pair<size_t, size_t>> directives;
  // "file(line)" of a token, the form compiler messages use.
  std::string where(const Token& token) const;
};

// text must outlive the result: tokens view into it.
TokenizedSource tokenize(std::string_view text, const std::string& source_name);

bool equals_ignoring_case(std::string_view a, std::string_view b);

// A numeric literal ("3", "-" excluded, "0.5f", "1e-3", "0x1F"): its value and
// whether it was written as an integer. False when text is not a number.
bool parse_number_literal(std::string_view text, double& value, bool& is_integer);

}  // namespace fx
