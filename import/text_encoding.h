#pragma once
#include <string>

// Files written as UTF-16 text (marked by a byte-order mark) that the
// importer's text readers would take for garbage: the same text as UTF-8.
// False, and out untouched, when bytes do not start with a UTF-16 mark.
// An unpaired surrogate or a trailing odd byte becomes U+FFFD.
bool utf16ToUtf8(const std::string& bytes, std::string* out);

// Whether decoded text reads as text: no control characters but tab, line
// and page breaks, and no U+FFFD. A binary file that merely starts with the
// bytes of a UTF-16 mark decodes into neither.
bool looksLikeText(const std::string& utf8);
