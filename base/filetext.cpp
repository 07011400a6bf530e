#include "base/filetext.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace {

const char* report_tag(int32_t code) {
  switch (code) {
    case Cfiletext::kEndOfFile: return "<end of file found>";
    case Cfiletext::kOpenComment: return "<open comment found /*..but no */..> ";
    case Cfiletext::kFileNotOpen: return "<file not open>";
    case Cfiletext::kMemoryError: return "<memory error>";
    case Cfiletext::kIntegerExpected: return "<integer expected>";
    case Cfiletext::kFileNotFound: return "<FILE NOT FOUND>";
    default: return nullptr;
  }
}

// The leading decimal integer of a word, clamped to the int32 range so that a
// frame number with too many digits cannot overflow; 0 when there is none.
int32_t clamped_integer(const char* text) {
  errno = 0;
  char* end = nullptr;
  const long long value = std::strtoll(text, &end, 10);
  if (end == text) return 0;
  if (value > INT32_MAX) return INT32_MAX;
  if (value < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(value);
}

}  // namespace

uint32_t Cfiletext::Call_1_open(const char* path) {
  if (word.data == nullptr) word.resize(kWordBufferSize);
  if (word.data != nullptr) word[0] = '\0';  // fresh storage is uninitialised
  if (file.open(path, "r", InputKind::Script) == nullptr) {
    reporterror(kFileNotFound, "Call_1_open", nullptr);
    return 0;
  }
  const size_t length = std::strlen(path);
  if (fileName.resize(static_cast<int64_t>(length) + 1)) {
    std::memcpy(fileName.data, path, length + 1);
  }
  return 1;
}

int32_t Cfiletext::readword() {
  FILE* stream = file.handle();
  if (stream == nullptr) return kFileNotOpen;
  if (word.count < kWordBufferSize) return kMemoryError;

  word[0] = '\0';
  long wordStart = std::ftell(stream);
  if (std::fscanf(stream, "%1022s", word.data) != 1) return kEndOfFile;

  for (;;) {
    const int length = static_cast<int>(std::strlen(word.data));
    if (length < 2) return length;  // a one-character word is never a comment

    int commentAt = -1;
    for (int i = 0; i + 1 < length; ++i) {
      if (word[i] == '/' && (word[i + 1] == '/' || word[i + 1] == '*')) {
        commentAt = i;
        break;
      }
    }
    if (commentAt < 0) return length;

    if (commentAt > 0) {
      // Hand back the part before the comment; the next read starts at it.
      word[commentAt] = '\0';
      std::fseek(stream, -static_cast<long>(length - commentAt), SEEK_CUR);
      return commentAt;
    }

    int32_t skipped;
    if (word[1] == '/') {
      std::fseek(stream, wordStart, SEEK_SET);
      skipped = leaveline(stream);
    } else {
      // Restart at the star of "/*", so that "/*/" already closes the comment.
      std::fseek(stream, -static_cast<long>(length - 1), SEEK_CUR);
      skipped = leavemultiline(stream);
    }
    if (skipped < 1) return skipped;

    word[0] = '\0';
    wordStart = std::ftell(stream);
    if (std::fscanf(stream, "%1022s", word.data) != 1) return kEndOfFile;
  }
}

int32_t Cfiletext::leaveline(FILE* stream) {
  for (int counted = 0;;) {
    const int c = std::fgetc(stream);
    if (c == EOF) return 0;
    if (c == '\n') return 1;
    if (++counted >= kMaxCommentLength) {
      log_text("<error> Cfiletext::leaveline > cant find end of line in textfile!!!");
      return kIntegerExpected;
    }
  }
}

int32_t Cfiletext::leavemultiline(FILE* stream) {
  int previous = EOF;
  for (int counted = 0;;) {
    const int c = std::fgetc(stream);
    if (c == EOF) return kOpenComment;
    if (previous == '*' && c == '/') return 1;
    if (previous == '/' && c == '*') return kOpenComment;
    previous = c;
    if (++counted >= kMaxCommentLength) {
      log_text(
          "<error> Cfiletext::leavemultiline > cant find end of line in textfile..\n(nonsense "
          "file?)!!!");
      return kIntegerExpected;
    }
  }
}

int32_t Cfiletext::Call_2_getword(const char** out, bool* isNumber) {
  if (out) *out = nullptr;
  const int32_t result = readword();
  if (result < 1) {
    if (result != kEndOfFile) reporterror(result, "Call_2_getword", nullptr);
    return 0;
  }
  if (out) *out = word.data;
  if (isNumber) *isNumber = isnumber();
  return result;
}

bool Cfiletext::isnumber() {
  const char* text = currentWord();
  bool pointSeen = false;
  for (int i = 0; text[i] != '\0'; ++i) {
    const char c = text[i];
    if (c >= '0' && c <= '9') continue;
    if (c == '.' && !pointSeen) {
      pointSeen = true;
      continue;
    }
    if ((c == '-' || c == '+') && i == 0) continue;
    if (c == ',') {
      log_text2("<error?> COMMA FOUND! in ", fileName.data ? fileName.data : "");
      log_text2("word> ", text);
    }
    return false;
  }
  return true;
}

bool Cfiletext::Call_3_startblock(const char* blockstart) {
  const int32_t result = readword();
  if (result >= 1 && std::strcmp(word.data, blockstart) == 0) return true;
  reporterror(result, "Call_3_startblock", "blockstart expected");
  log_text2("<missing word> : ", blockstart);
  return false;
}

int32_t Cfiletext::Call_4_getblockitem(const char* blockend, const char** out, bool* isNumber) {
  const int32_t result = readword();
  if (result < 1) {
    reporterror(result, "Call_4_getblockitem", "in block");
    log_text2("<missing word> : ", blockend);
    return -1;
  }
  if (std::strcmp(word.data, blockend) == 0) return 0;
  if (out) *out = word.data;
  if (isNumber) *isNumber = isnumber();
  return 1;
}

int32_t Cfiletext::Call_5_parseblock(const char* blockstart, const char* blockend,
                                     BoundedArray<int32_t>& list) {
  if (!Call_3_startblock(blockstart)) return 0;
  int32_t stored = 0;
  for (;;) {
    const int32_t item = Call_4_getblockitem(blockend, nullptr, nullptr);
    if (item == -1) return 0;
    if (item == 0) return stored;
    if (!isnumber()) {
      reporterror(kIntegerExpected, "Call_5_parseblock", nullptr);
      return 0;
    }
    if (list.count <= stored) {
      reporterror(1, "Call_5_parseblock", "integer list too small..");
      return 0;
    }
    list[stored++] = clamped_integer(word.data);
  }
}

void Cfiletext::reporterror(int32_t code, const char* operationName, const char* message) {
  log_text2("<SCRIPT FILENAME> ", fileName.data ? fileName.data : "");
  if (operationName) {
    log_text2("<texfile compilation error> in funtion: ", operationName);
  } else {
    log_text("<texfile compilation error>");
  }
  if (message) log_text2("<error message> :", message);
  if (code < 1) {
    if (const char* tag = report_tag(code)) {
      log_text(tag);
    } else {
      log_int("error variable: ", code);
    }
  }
  const char* text = currentWord();
  log_text2("read string is: ", text);
  const size_t length = std::strlen(text);
  if (length < 3) log_uint("   stringlen: ", static_cast<uint32_t>(length));
}
