#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "import/texture_export.h"

// A further file of a model in parts, for the start folder beside the first.
struct ConvertedPart {
  std::string modelName;
  std::vector<uint8_t> model;
  std::string scriptName;
  std::string script;
};

// A converted model's own files, in memory, named as the viewer finds them:
// the model file and its script in the start folder (bin/), the textures in
// the texture folder beside it. The script names the shipped effects as a
// start folder sees them ("../effect/skinned.fx"); taken from the program's
// data folder's bin/ (ProgramDataLookup::startFolder()) they are its
// shipped effects.
struct ConvertedFiles {
  std::string modelName;  // "NAME.x_out"
  std::vector<uint8_t> model;
  std::string scriptName;  // "NAME.txt"
  std::string script;
  std::vector<TextureFile> textures;
  // The other files of a model over the format's limits ('p' commands),
  // for the start folder beside the model.
  std::vector<ConvertedPart> parts;
  // Every file the conversion read: the input, what the importer opened
  // beside it (materials, buffers, textures) and the texture files, each
  // once, in the order first read. What a live reload watches.
  std::vector<std::string> sourceFiles;
};
