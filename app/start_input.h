#pragma once
#include <cstdio>
#include <string>

// The start folder's input.txt names the model to show by its first word.
inline constexpr char kStartInputFile[] = "input.txt";

// The model path an opened input.txt names, read as the viewer always has:
// the first word, cut at a blank, at most 1023 characters. False when the
// file holds no word.
bool ReadStartModelPath(std::FILE* file, std::string& path);
