#include "import/text_encoding.h"

#include <cstdint>

namespace {

constexpr uint32_t kReplacement = 0xFFFD;

void appendUtf8(uint32_t code, std::string* out) {
  if (code < 0x80) {
    out->push_back(static_cast<char>(code));
  } else if (code < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (code >> 6)));
    out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else if (code < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | (code >> 12)));
    out->push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | (code >> 18)));
    out->push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
  }
}

}  // namespace

bool utf16ToUtf8(const std::string& bytes, std::string* out) {
  if (bytes.size() < 2) return false;
  const auto byte = [&](size_t i) { return static_cast<uint8_t>(bytes[i]); };
  bool littleEndian;
  if (byte(0) == 0xFF && byte(1) == 0xFE) {
    littleEndian = true;
  } else if (byte(0) == 0xFE && byte(1) == 0xFF) {
    littleEndian = false;
  } else {
    return false;
  }
  const auto unit = [&](size_t i) -> uint32_t {
    return littleEndian ? byte(i) | (byte(i + 1) << 8) : (byte(i) << 8) | byte(i + 1);
  };
  std::string text;
  text.reserve(bytes.size() / 2);
  size_t i = 2;
  for (; i + 1 < bytes.size(); i += 2) {
    const uint32_t first = unit(i);
    if (first >= 0xD800 && first < 0xDC00) {
      const uint32_t second = i + 3 < bytes.size() ? unit(i + 2) : 0;
      if (second >= 0xDC00 && second < 0xE000) {
        appendUtf8(0x10000 + ((first - 0xD800) << 10) + (second - 0xDC00), &text);
        i += 2;
      } else {
        appendUtf8(kReplacement, &text);
      }
    } else if (first >= 0xDC00 && first < 0xE000) {
      appendUtf8(kReplacement, &text);
    } else {
      appendUtf8(first, &text);
    }
  }
  if (i < bytes.size()) appendUtf8(kReplacement, &text);
  *out = std::move(text);
  return true;
}

bool looksLikeText(const std::string& utf8) {
  if (utf8.find("\xEF\xBF\xBD") != std::string::npos) return false;
  for (const char c : utf8) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 && c != '\t' && c != '\n' && c != '\r' && c != '\f' && c != '\v') return false;
    if (byte == 0x7F) return false;
  }
  return true;
}
