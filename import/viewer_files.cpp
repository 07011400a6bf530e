#include "import/viewer_files.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "base/program_data.h"
#include "tools/demo_generator/demo_layout.h"
#include "tools/model_writer/script_writer.h"

namespace fs = std::filesystem;

namespace {

// Copies each name from one folder into another; false with a reason at the
// first that cannot be copied.
bool copyNamed(const fs::path& from, const fs::path& to, std::initializer_list<std::string> names,
               std::vector<std::string>* written, std::string* problem) {
  for (const std::string& name : names) {
    std::error_code code;
    fs::copy_file(from / name, to / name, fs::copy_options::overwrite_existing, code);
    if (code) {
      *problem = "cannot copy " + (from / name).string() + ": " + code.message();
      return false;
    }
    written->push_back((to / name).string());
  }
  return true;
}

}  // namespace

bool writeViewerFiles(const std::string& outDir, std::vector<std::string>* written,
                      std::vector<std::string>* warnings, std::string* error) {
  const ProgramDataLookup data = programData();
  if (!data.found()) {
    *error = "cannot copy the wall: " + data.failure();
    return false;
  }
  const fs::path bin = fs::path(outDir) / "bin";
  if (!copyNamed(data.startFolder(), bin, {demo::kWallModel, scriptPathFor(demo::kWallModel)},
                 written, error) ||
      !copyNamed(data.textureFolder(), fs::path(outDir) / "texture",
                 {demo::kWallTexture, demo::kWallNormalMap}, written, error)) {
    return false;
  }
  std::string problem;
  if (!copyNamed(data.startFolder(), bin, {demo::kFontImage, demo::kFontTable}, written,
                 &problem)) {
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
