#pragma once
#include <assimp/scene.h>

#include <string>
#include <utility>
#include <vector>

#include "import/source_model.h"

// One texture file for the texture folder, named as the script names it.
struct TextureFile {
  std::string name;
  std::vector<unsigned char> bytes;
};

// The textures of the model's script, in a format the viewer's texture
// loader reads (BMP, PNG, JPG or TGA).
struct ExportedTextures {
  std::string colour;                    // file name for 't', empty when none
  std::string bump;                      // file name for 'b', empty when none
  std::vector<TextureFile> files;        // what the texture folder gets
  std::vector<std::string> sourceFiles;  // the model's own image files that were read
  std::vector<std::string> written;      // paths, once writeTextureFiles wrote them
  std::vector<std::string> warnings;
  // Per written material, the file names for its 'm' command (empty: none).
  std::vector<std::pair<std::string, std::string>> materials;
};

// Finds the first material's colour texture and its normal (or height) map
// (the first mesh's material, or the first one that has a colour texture),
// then takes each external file, or extracts the embedded one, as
// <baseName>_colour.<ext> and <baseName>_bump.<ext>. Images in other
// formats are decoded and re-encoded as PNG. A texture that cannot be found
// or read is a warning, not a failure. Without a colour texture the
// material's colour becomes a small BMP of that colour. Nothing is written.
ExportedTextures exportTextures(const SourceModel& source, const std::string& modelDir,
                                const std::string& baseName);

// The colour texture and normal (or height) map of each of the given scene
// materials, as <baseName>_m<i>_colour.<ext> and _bump.<ext>, into
// out->materials (and the files into out->files; a texture several
// materials share is made once). A material without a colour texture gets
// none: the renderer then draws it in its colour.
void exportMaterialTextures(const SourceModel& source, const std::string& modelDir,
                            const std::string& baseName, const std::vector<unsigned>& materials,
                            ExportedTextures* out);

// Writes every file into textureDir; one that cannot be written is a warning
// and is dropped from colour/bump, so the script does not name it.
void writeTextureFiles(const std::string& textureDir, ExportedTextures* textures);

// The image format of a file's bytes by their signature ("png", "jpg",
// "bmp", "tga" when the texture loader reads them as they are, "" otherwise).
std::string loaderImageFormat(const std::vector<unsigned char>& bytes, const std::string& nameHint);
