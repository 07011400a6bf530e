#pragma once
#include <string>

// Files written as UTF-16 text (marked by a byte-order mark) that the
// importer's text readers would take for garbage: the same text as UTF-8.
// False, and out untouched, when bytes do not start with a UTF-16 mark.
// An unpaired surrogate or a trailing odd byte becomes U+FFFD.
bool utf16ToUtf8(const std::string& bytes, std::string* out);
