#pragma once
#include <string>
#include <vector>

#include "import/converted_files.h"

// A converted model served from memory (base/memory_files.h) as if it were a
// start folder's surroundings under root: root/bin/NAME.x_out and its script
// beside it, root/texture/ with its textures. The viewer's normal loader
// path (model, script beside it, texture folder) then reads it unchanged and
// nothing touches the disk. Gone from memory again with the object.
//
// Any root works; one that does not exist on disk (like the default) keeps
// the memory files apart from real ones.
class RegisteredModel {
 public:
  static constexpr char kDefaultRoot[] = "/meshview-memory/";

  explicit RegisteredModel(const ConvertedFiles& files, const std::string& root = kDefaultRoot);
  ~RegisteredModel();
  RegisteredModel(const RegisteredModel&) = delete;
  RegisteredModel& operator=(const RegisteredModel&) = delete;

  const std::string& modelPath() const { return modelPath_; }
  // Each ends in '/'.
  const std::string& startFolder() const { return startFolder_; }
  const std::string& textureFolder() const { return textureFolder_; }

 private:
  std::string startFolder_;
  std::string textureFolder_;
  std::string modelPath_;
  std::vector<std::string> registered_;
};
