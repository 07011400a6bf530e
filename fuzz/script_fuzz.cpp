// Feeds arbitrary text to the model's text-command parser as its script.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "model/model_loader.h"
#include "render/render_model.h"

namespace {

std::filesystem::path g_folder;

void removeFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(g_folder, ignored);
}

std::string prepareScriptPath() {
  std::string pattern = (std::filesystem::temp_directory_path() / "script-fuzz-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) std::abort();
  g_folder = pattern;
  std::atexit(removeFolder);
  return (g_folder / "script.txt").string();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string scriptPath = prepareScriptPath();
  // The tokenizer reads through a file, so each input becomes one.
  FILE* script = std::fopen(scriptPath.c_str(), "wb");
  if (script == nullptr) return 0;
  if (size > 0) std::fwrite(data, 1, size, script);
  std::fclose(script);

  RenderModel model;
  RenderModel shadowModel;
  ModelLoader loader;
  loader.model = &model;
  loader.shadowModel = &shadowModel;
  loader.parsetextcommands(scriptPath.c_str());
  return 0;
}
