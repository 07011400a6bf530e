#include "base/text_string.h"

#include <cstring>
#include <utility>

namespace {

// A fresh buffer holding first followed by second; nullptr when both are empty.
char* concatenate(const char* first, const char* second) {
  const size_t firstLength = first ? std::strlen(first) : 0;
  const size_t secondLength = second ? std::strlen(second) : 0;
  if (firstLength + secondLength == 0) return nullptr;
  char* joined = new char[firstLength + secondLength + 1];
  if (firstLength) std::memcpy(joined, first, firstLength);
  if (secondLength) std::memcpy(joined + firstLength, second, secondLength);
  joined[firstLength + secondLength] = '\0';
  return joined;
}

}  // namespace

TextString::TextString(const char* s) { assign(s); }

TextString::TextString(const TextString& other) { assign(other.text); }

TextString::TextString(TextString&& other) noexcept : text(std::exchange(other.text, nullptr)) {}

TextString& TextString::operator=(const TextString& other) {
  if (this != &other) assign(other.text);
  return *this;
}

TextString& TextString::operator=(TextString&& other) noexcept {
  if (this != &other) {
    delete[] text;
    text = std::exchange(other.text, nullptr);
  }
  return *this;
}

TextString::~TextString() { delete[] text; }

TextString& TextString::assign(const char* s) {
  char* copy = concatenate(s, nullptr);  // copy first: s may point into text
  delete[] text;
  text = copy;
  return *this;
}

TextString& TextString::append(const char* s) {
  char* joined = concatenate(text, s);
  delete[] text;
  text = joined;
  return *this;
}

TextString& TextString::append(const TextString& other) { return append(other.text); }

TextString TextString::plus(const char* s) const {
  TextString result(*this);
  result.append(s);
  return result;
}

const char* TextString::c_str() const { return text ? text : "null"; }

TextString& TextString::setExtension(const char* ext) {
  const char* dot = text ? std::strchr(text, '.') : nullptr;
  if (dot == nullptr) {
    append(".");
    return append(ext);
  }
  const size_t keep = static_cast<size_t>(dot - text) + 1;
  char* stem = new char[keep + 1];
  std::memcpy(stem, text, keep);
  stem[keep] = '\0';
  delete[] text;
  text = stem;
  return append(ext);
}
