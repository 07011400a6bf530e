#pragma once

// An owning heap string. The empty value is stored as no buffer at all, and
// reads back as the text "null" so that a log line never receives nullptr.
class TextString {
 public:
  TextString() = default;
  TextString(const char* s);  // NOLINT(google-explicit-constructor): used like a string literal
  TextString(const TextString& other);
  TextString(TextString&& other) noexcept;
  TextString& operator=(const TextString& other);
  TextString& operator=(TextString&& other) noexcept;
  virtual ~TextString();

  TextString& assign(const char* s);
  TextString& append(const char* s);
  TextString& append(const TextString& other);
  TextString plus(const char* s) const;

  // The text, or "null" when the string is empty; never nullptr.
  const char* c_str() const;
  // The stored buffer itself: nullptr when empty.
  const char* raw() const { return text; }
  bool empty() const { return text == nullptr; }

  // Replaces everything after the first '.' with ext ("a.b.c" -> "a.ext");
  // without a '.', appends "." and ext.
  TextString& setExtension(const char* ext);

 private:
  char* text = nullptr;
};
