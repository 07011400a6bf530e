// UTF-16 text files reach the importer as UTF-8.
#include "import/text_encoding.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

TEST(TextEncoding, Utf16WithAMarkBecomesUtf8) {
  struct Case {
    const char* what;
    std::string bytes;
    std::string text;
  };
  using namespace std::string_literals;
  const std::vector<Case> cases = {
      {"little-endian ASCII",
       "\xFF\xFE"s
       "v\0 \0"
       "1\0\n\0"s,
       "v 1\n"},
      {"big-endian ASCII",
       "\xFE\xFF"s
       "\0v\0 \0"
       "1\0\n"s,
       "v 1\n"},
      {"two-byte character", "\xFF\xFE\xE9\x00"s, "\xC3\xA9"},
      {"three-byte character", "\xFE\xFF\x20\xAC"s, "\xE2\x82\xAC"},
      {"surrogate pair", "\xFF\xFE\x3D\xD8\x00\xDE"s, "\xF0\x9F\x98\x80"},
      {"lone high surrogate",
       "\xFF\xFE\x3D\xD8"
       "A\0"s,
       "\xEF\xBF\xBD"
       "A"},
      {"lone low surrogate", "\xFE\xFF\xDE\x00"s, "\xEF\xBF\xBD"},
      {"odd trailing byte",
       "\xFF\xFE"
       "A\0"
       "B"s,
       "A\xEF\xBF\xBD"},
      {"mark only", "\xFF\xFE"s, ""},
  };
  for (const Case& c : cases) {
    std::string text = "untouched";
    EXPECT_TRUE(utf16ToUtf8(c.bytes, &text)) << c.what;
    EXPECT_EQ(text, c.text) << c.what;
  }
}

TEST(TextEncoding, OtherBytesAreLeftAlone) {
  using namespace std::string_literals;
  for (const std::string& bytes :
       {""s, "\xFF"s, "v 1 2 3\n"s, "\xEF\xBB\xBFv 1\n"s, "\xFE\xFE\x00\x41"s}) {
    std::string text = "untouched";
    EXPECT_FALSE(utf16ToUtf8(bytes, &text)) << bytes;
    EXPECT_EQ(text, "untouched");
  }
}

TEST(TextEncoding, OnlyTextPassesAsText) {
  using namespace std::string_literals;
  const std::vector<std::pair<std::string, bool>> cases = {
      {"v 1 2 3\r\n\tf 1 2 3\n", true},
      {"caf\xC3\xA9 \xE2\x82\xAC", true},
      {"", true},
      {"v 1\0 2"s, false},
      {"a\x01"
       "b",
       false},
      {"a\x7F", false},
      {"a\xEF\xBF\xBD"
       "b",
       false},
      // A binary file that starts with a mark's bytes: float bytes with zero halves.
      {[] {
         std::string text;
         utf16ToUtf8("\xFF\xFE\x00\x00\x80\x3F\x00\x00\x00\x40"s, &text);
         return text;
       }(),
       false},
  };
  for (const auto& [text, isText] : cases) EXPECT_EQ(looksLikeText(text), isText) << text;
}
