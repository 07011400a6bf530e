#pragma once
#include <assimp/scene.h>

#include <string>
#include <vector>

#include "tools/meshconv/source_model.h"

// The textures of the model's script, written into the texture folder in a
// format the viewer's texture loader reads (BMP, PNG, JPG or TGA).
struct ExportedTextures {
  std::string colour;                // file name for 't', empty when none
  std::string bump;                  // file name for 'b', empty when none
  std::vector<std::string> written;  // paths of the files written
  std::vector<std::string> warnings;
};

// Finds the first material's colour texture and its normal (or height) map
// (the first mesh's material, or the first one that has a colour texture),
// then copies each external file, or extracts the embedded one, as
// textureDir/<baseName>_colour.<ext> and <baseName>_bump.<ext>. Files in
// other formats are decoded and written as PNG. A texture that cannot be
// found or read is a warning, not a failure. Without a colour texture the
// material's colour becomes a small BMP of that colour.
ExportedTextures exportTextures(const SourceModel& source, const std::string& modelDir,
                                const std::string& textureDir, const std::string& baseName);

// The image format of a file's bytes by their signature ("png", "jpg",
// "bmp", "tga" when the texture loader reads them as they are, "" otherwise).
std::string loaderImageFormat(const std::vector<unsigned char>& bytes, const std::string& nameHint);
