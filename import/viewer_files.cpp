#include "import/viewer_files.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "render/font_table.h"
#include "tools/demo_generator/demo_font.h"
#include "tools/demo_generator/demo_layout.h"
#include "tools/demo_generator/demo_textures.h"
#include "tools/demo_generator/wall_model.h"
#include "tools/model_writer/model_writer.h"
#include "tools/model_writer/script_writer.h"

namespace fs = std::filesystem;

#ifndef MESHCONV_FONT_FILE
#define MESHCONV_FONT_FILE ""
#endif

namespace {

// The bundled demo's wall textures are this size too.
constexpr int kWallTextureSize = 512;

bool writeWall(const fs::path& bin, const fs::path& texture, std::vector<std::string>* written) {
  const DemoModel wall = makeWall();
  const std::string model = (bin / demo::kWallModel).string();
  const std::string script = (bin / scriptPathFor(demo::kWallModel)).string();
  const std::string colour = (texture / demo::kWallTexture).string();
  const std::string bump = (texture / demo::kWallNormalMap).string();
  if (!writeModelFile(model, wall.model) || !writeScriptFile(script, wall.script) ||
      !writeBmp(colour, brickColour(kWallTextureSize)) ||
      !writeBmp(bump, brickNormalMap(kWallTextureSize))) {
    return false;
  }
  written->insert(written->end(), {model, script, colour, bump});
  return true;
}

bool writeFont(const fs::path& bin, std::vector<std::string>* written, std::string* problem) {
  FontAtlas atlas;
  if (!rasteriseFont(MESHCONV_FONT_FILE, &atlas, problem)) return false;
  const std::string image = (bin / demo::kFontImage).string();
  const std::string table = (bin / demo::kFontTable).string();
  if (!writeBmp(image, atlas.image) || !WriteFontTableFile(table.c_str(), atlas.glyphs)) {
    *problem = "cannot write " + image;
    return false;
  }
  written->insert(written->end(), {image, table});
  return true;
}

}  // namespace

bool writeViewerFiles(const std::string& outDir, std::vector<std::string>* written,
                      std::vector<std::string>* warnings, std::string* error) {
  const fs::path bin = fs::path(outDir) / "bin";
  if (!writeWall(bin, fs::path(outDir) / "texture", written)) {
    *error = "cannot write the wall into " + outDir;
    return false;
  }
  std::string problem;
  if (!writeFont(bin, written, &problem)) {
    warnings->push_back("no bitmap font (" + problem + "); the viewer runs without its text");
  }
  return true;
}

bool isReservedStem(const std::string& stem) {
  std::string lower = stem;
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  // wall.x_out and wall.txt, input.txt, and the viewer's log loaderlog.txt.
  return lower == "wall" || lower == "input" || lower == "loaderlog";
}
