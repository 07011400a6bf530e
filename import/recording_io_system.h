#pragma once
#include <assimp/DefaultIOSystem.h>

#include <string>
#include <vector>

// The importer's file access, with UTF-16 text files handed over as UTF-8
// (the text readers take only 8-bit text), and a list of every file it opened
// for reading, so the caller knows what the model is made of.
class RecordingIOSystem : public Assimp::DefaultIOSystem {
 public:
  Assimp::IOStream* Open(const char* file, const char* mode = "rb") override;

  // Each opened file once, in the order first opened, as absolute paths.
  const std::vector<std::string>& opened() const { return opened_; }

 private:
  std::vector<std::string> opened_;
};

// Appends path to files unless it is there already.
void addOnce(std::vector<std::string>& files, const std::string& path);
