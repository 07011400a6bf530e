// Writes a seed corpus of valid inputs for the fuzz targets: OUTDIR/<target>/.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <utility>

#include <stb/stb_image_write.h>
#include <filesystem>
#include <string>
#include <vector>

#include "render/font_table.h"
#include "tools/model_writer/model_writer.h"
#include "tools/model_writer/sample_models.h"
#include "tools/model_writer/script_writer.h"

namespace fs = std::filesystem;

namespace {

std::vector<uint8_t> bytesOf(const std::string& text) { return {text.begin(), text.end()}; }

// model_script_fuzz reads a 16-bit script length, the script and the model.
std::vector<uint8_t> combined(const std::string& script, const std::vector<uint8_t>& model) {
  std::vector<uint8_t> out{uint8_t(script.size()), uint8_t(script.size() >> 8)};
  out.insert(out.end(), script.begin(), script.end());
  out.insert(out.end(), model.begin(), model.end());
  return out;
}

bool writeCombinedSeeds(const fs::path& out, const std::vector<std::pair<std::string, ModelDescription>>& models,
                        const ScriptDescription& script) {
  const fs::path folder = out / "model_script_fuzz";
  std::error_code error;
  fs::create_directories(folder, error);
  const fs::path scriptFile = folder / "script.tmp";
  if (!writeScriptFile(scriptFile.string(), script)) return false;
  std::ifstream in(scriptFile, std::ios::binary);
  const std::string scriptText((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  fs::remove(scriptFile, error);
  bool ok = true;
  for (const auto& [name, model] : models) {
    ok = ok && writeBytesFile((folder / name).string(), combined(scriptText, writeModelBytes(model)));
  }
  // The largest index list the format allows: 65,535 indices of one triangle.
  ModelDescription most;
  most.positions = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
  for (int i = 0; i < 65535; ++i) most.indices.push_back(uint16_t(i % 3));
  return ok && writeBytesFile((folder / "most-indices").string(),
                              combined("t a.bmp e a.fx T S s.fx", writeModelBytes(most)));
}

// One small picture in each format stb_image_write produces.
bool writeImageSeeds(const fs::path& folder) {
  std::error_code error;
  fs::create_directories(folder, error);
  std::vector<uint8_t> pixels(7 * 5 * 4);
  for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = uint8_t(i * 37);
  const auto path = [&](const char* name) { return (folder / name).string(); };
  return stbi_write_png(path("seed.png").c_str(), 7, 5, 4, pixels.data(), 7 * 4) &&
         stbi_write_bmp(path("seed.bmp").c_str(), 7, 5, 4, pixels.data()) &&
         stbi_write_tga(path("seed.tga").c_str(), 7, 5, 4, pixels.data()) &&
         stbi_write_jpg(path("seed.jpg").c_str(), 7, 5, 4, pixels.data(), 80);
}

}  // namespace

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

  ok = ok && writeCombinedSeeds(out, {{"static", sampleStaticModel()}, {"skinned", skinned}, {"minimal", minimal}},
                                full);
  ok = ok && writeImageSeeds(out / "image_decode_fuzz");
  const fs::path settings = out / "settings_fuzz";
  fs::create_directories(settings, error);
  ok = ok && writeBytesFile((settings / "model").string(), bytesOf("m.x_out\n")) &&
       writeBytesFile((settings / "missing").string(), bytesOf("models\\Hero.X_OUT // the model\n")) &&
       writeBytesFile((settings / "blank").string(), bytesOf(" \n\t"));
  if (!ok) {
    std::fprintf(stderr, "make_fuzz_seeds: cannot write the seeds under %s\n", argv[1]);
    return 1;
  }
  return 0;
}
