#pragma once
#include <cstdint>
#include <cstdio>

#include "base/bin_file.h"
#include "base/bounded_array.h"
#include "base/cbase.h"

// Reads a plain-text script as blank-separated words, skipping "//" line
// comments and "/* */" block comments, with small helpers for the block
// syntax of model scripts. Errors are written to the loader log as a
// multi-line report naming the script, the operation and the word just read.
class Cfiletext : public CBase {
 public:
  // Word reader result codes (a positive value is the word's length).
  static constexpr int32_t kEndOfFile = 0;
  static constexpr int32_t kOpenComment = -1;
  static constexpr int32_t kFileNotOpen = -2;
  static constexpr int32_t kMemoryError = -3;
  static constexpr int32_t kIntegerExpected = -4;  // also: comment longer than the limit
  static constexpr int32_t kFileNotFound = -5;

  static constexpr int32_t kWordBufferSize = 1024;
  static constexpr int kMaxWordLength = 1022;
  static constexpr int kMaxCommentLength = 10000;

  Cfiletext() = default;
  ~Cfiletext() override = default;

  // 1 when the script opened, 0 otherwise (reported).
  uint32_t Call_1_open(const char* path);
  // The next word: its length, or 0 at end of file and on every error. Either
  // output may be null; the word stays valid until the next read.
  int32_t Call_2_getword(const char** word, bool* isNumber);
  // Reads one word and expects it to be blockstart.
  bool Call_3_startblock(const char* blockstart);
  // 1 an item was read, 0 the closing word was read, -1 error.
  int32_t Call_4_getblockitem(const char* blockend, const char** word, bool* isNumber);
  // Reads "blockstart n n n ... blockend" into list (sized by the caller to its
  // capacity); returns how many integers were stored, 0 on error or an empty block.
  int32_t Call_5_parseblock(const char* blockstart, const char* blockend, BoundedArray<int32_t>& list);

  int32_t readword();
  bool isnumber();
  int32_t leaveline(FILE* stream);
  int32_t leavemultiline(FILE* stream);
  void reporterror(int32_t code, const char* operationName, const char* message);

  const char* currentWord() const { return word.data ? word.data : ""; }

 private:
  BinFile file;
  BoundedArray<char> word;
  BoundedArray<char> fileName;
};
