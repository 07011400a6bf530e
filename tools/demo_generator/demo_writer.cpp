#include "tools/demo_generator/demo_writer.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "render/font_table.h"
#include "tools/demo_generator/demo_font.h"
#include "tools/demo_generator/demo_layout.h"
#include "tools/demo_generator/demo_textures.h"
#include "tools/demo_generator/figure_model.h"
#include "tools/demo_generator/wall_model.h"

namespace fs = std::filesystem;

namespace {

constexpr int kWallTextureSize = 512;
constexpr int kFigureTextureSize = 256;

class DemoOutput {
 public:
  DemoOutput(const fs::path& root, DemoReport* report, std::string* error)
      : root_(root), report_(report), error_(error) {}

  bool makeFolder(const char* name) {
    std::error_code code;
    fs::create_directories(root_ / name, code);
    if (code)
      return fail("cannot make the folder " + (root_ / name).string() + ": " + code.message());
    return true;
  }
  // Runs write on the full path of folder/name and records the file.
  template <typename Write>
  bool file(const char* folder, const std::string& name, Write write) {
    const fs::path path = root_ / folder / name;
    if (!write(path.string())) return fail("cannot write " + path.string());
    report_->written.push_back((fs::path(folder) / name).generic_string());
    return true;
  }
  bool fail(const std::string& reason) {
    *error_ = reason;
    return false;
  }
  void warn(const std::string& warning) { report_->warnings.push_back(warning); }

 private:
  fs::path root_;
  DemoReport* report_;
  std::string* error_;
};

bool writeModel(DemoOutput& out, const char* name, const DemoModel& demoModel) {
  return out.file("bin", name, [&](const std::string& path) {
    return writeModelFile(path, demoModel.model);
  }) && out.file("bin", scriptPathFor(name), [&](const std::string& path) {
    return writeScriptFile(path, demoModel.script);
  });
}

bool writeTexture(DemoOutput& out, const char* name, const RgbImage& image) {
  return out.file("texture", name, [&](const std::string& path) { return writeBmp(path, image); });
}

bool writeFont(DemoOutput& out, const std::string& fontFile) {
  FontAtlas atlas;
  std::string reason;
  if (!rasteriseFont(fontFile, &atlas, &reason)) return out.fail(reason);
  return out.file("bin", demo::kFontImage, [&](const std::string& path) {
    return writeBmp(path, atlas.image);
  }) && out.file("bin", demo::kFontTable, [&](const std::string& path) {
    return WriteFontTableFile(path.c_str(), atlas.glyphs);
  });
}

// Effect files and the files they include, in name order so that runs agree.
std::vector<fs::path> effectSources(const fs::path& folder) {
  std::vector<fs::path> sources;
  std::error_code code;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder, code)) {
    const std::string extension = entry.path().extension().string();
    if (entry.is_regular_file() && (extension == ".fx" || extension == ".fxh")) {
      sources.push_back(entry.path());
    }
  }
  std::sort(sources.begin(), sources.end());
  return sources;
}

bool copyEffects(DemoOutput& out, const std::string& sourceDir) {
  const std::vector<fs::path> sources = effectSources(sourceDir);
  for (const fs::path& source : sources) {
    const bool copied =
        out.file("effect", source.filename().string(), [&](const std::string& path) {
          std::error_code code;
          fs::copy_file(source, path, fs::copy_options::overwrite_existing, code);
          return !code;
        });
    if (!copied) return false;
  }
  for (const std::string& name : demoEffectNames()) {
    const bool present = std::any_of(sources.begin(), sources.end(), [&](const fs::path& source) {
      return source.filename() == name;
    });
    if (!present) {
      out.warn("no effect " + name + " in " + sourceDir +
               ": the models that use it load without their effect and are not drawn");
    }
  }
  return true;
}

}  // namespace

std::vector<std::string> demoEffectNames() {
  return {demo::kSkinnedEffect, demo::kWallEffect, demo::kShadowVolumeEffect};
}

bool writeDemo(const DemoOptions& options, DemoReport* report, std::string* error) {
  DemoOutput out(options.outDir, report, error);
  for (const char* folder : {"bin", "texture", "effect"}) {
    if (!out.makeFolder(folder)) return false;
  }
  const bool written =
      out.file("bin", demo::kInputFile,
               [](const std::string& path) {
                 return writeScriptFile(path, std::string(demo::kFigureModel) + "\n");
               }) &&
      writeModel(out, demo::kFigureModel, makeFigure()) &&
      writeModel(out, demo::kWallModel, makeWall()) && writeFont(out, options.fontFile) &&
      writeTexture(out, demo::kFigureTexture, clothColour(kFigureTextureSize)) &&
      writeTexture(out, demo::kFigureNormalMap, clothNormalMap(kFigureTextureSize)) &&
      writeTexture(out, demo::kWallTexture, brickColour(kWallTextureSize)) &&
      writeTexture(out, demo::kWallNormalMap, brickNormalMap(kWallTextureSize));
  return written && copyEffects(out, options.effectSourceDir);
}
