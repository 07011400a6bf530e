#include "app/start_input.h"

bool ReadStartModelPath(std::FILE* file, std::string& path) {
  char word[1024] = {};
  if (std::fscanf(file, "%1023s", word) != 1) return false;
  path = word;
  return true;
}
