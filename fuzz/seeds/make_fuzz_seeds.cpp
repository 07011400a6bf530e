// Writes a seed corpus of valid inputs for the fuzz targets: OUTDIR/<target>/.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "render/font_table.h"
#include "tools/model_writer/model_writer.h"
#include "tools/model_writer/sample_models.h"
#include "tools/model_writer/script_writer.h"

namespace fs = std::filesystem;

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_fuzz_seeds OUTDIR\n");
    return 2;
  }
  const fs::path out = argv[1];
  const fs::path models = out / "model_load_fuzz";
  const fs::path scripts = out / "script_fuzz";
  std::error_code error;
  fs::create_directories(models, error);
  fs::create_directories(scripts, error);

  ModelDescription skinned = sampleSkinnedModel();
  ModelDescription minimal;
  minimal.positions = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
  minimal.indices = {0, 1, 2};
  ModelDescription noBones;
  noBones.writeAnimation = true;
  noBones.writeArmature = true;
  bool ok = writeModelFile((models / "static").string(), sampleStaticModel()) &&
            writeModelFile((models / "skinned").string(), skinned) &&
            writeModelFile((models / "minimal").string(), minimal) &&
            writeModelFile((models / "empty-skeleton").string(), noBones);

  ScriptDescription full;
  full.texture = "skin.bmp";
  full.bumpTexture = "skin_n.bmp";
  full.effect = "skin.fx";
  full.tangents = true;
  full.shadowEffect = "shadow.fx";
  full.animations = {{"walk", 60, {0, 1, 2}}, {"run", 30, {2, 1}}};
  ok = ok && writeScriptFile((scripts / "full").string(), full) &&
       writeScriptFile((scripts / "comments").string(),
                       std::string("// line\nt wall.bmp /* block */ e wall.fx\n/*/ a x 1 { 0 }")) &&
       writeScriptFile((scripts / "broken").string(), std::string("a walk fast { 0, 1 }\ne"));
  const fs::path fonts = out / "font_table_fuzz";
  fs::create_directories(fonts, error);
  std::vector<FontGlyph> glyphs(256);
  for (size_t code = 0; code < glyphs.size(); ++code) {
    const float u = float(code % 16) / 16.0f;
    const float v = float(code / 16) / 16.0f;
    glyphs[code] = {uint8_t(code % 11), {u, v, u + 1.0f / 16.0f, v + 1.0f / 16.0f}};
  }
  ok = ok && WriteFontTableFile((fonts / "full").string().c_str(), glyphs) &&
       WriteFontTableFile((fonts / "three").string().c_str(),
                          std::vector<FontGlyph>(glyphs.begin(), glyphs.begin() + 3));

  if (!ok) {
    std::fprintf(stderr, "make_fuzz_seeds: cannot write the seeds under %s\n", argv[1]);
    return 1;
  }
  return 0;
}
