#pragma once
#include <string>

// What a file given on the command line turned out to be.
enum class ModelFileKind {
  kNative,   // meshview's own model format (it starts with the model magic)
  kForeign,  // anything else: handed to the importer, which decides
};

struct ModelFileCheck {
  bool ok = false;
  ModelFileKind kind = ModelFileKind::kForeign;
  std::string path;    // absolute, for the loads
  std::string reason;  // when not ok: why, in a few words ("not found", ...)
};

// Looks at the file before any load: it must exist, be a regular file (or a
// link to one), be readable and not be empty.
ModelFileCheck CheckModelFile(const std::string& path);

// Where the loads of a model of our format find its files: the model's
// folder stands for the start folder, so effect names in its script are
// taken relative to it and textures come from the "texture" folder beside
// it, or from the model's own folder when there is no such folder. Both end
// with a separator.
struct ModelFolders {
  std::string effectFolder;
  std::string textureFolder;
};
ModelFolders FoldersForModel(const std::string& absoluteModelPath);
