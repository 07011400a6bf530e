#pragma once
// Shared pieces of the model tests: a loader log routed into a temporary
// folder and a load from memory beside a script.
#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "base/log.h"
#include "model/model_loader.h"
#include "render/render_model.h"
#include "tests/support/temp_dir.h"
#include "tools/model_writer/model_writer.h"
#include "tools/model_writer/sample_models.h"
#include "tools/model_writer/script_writer.h"

class LoaderLog {
 public:
  LoaderLog() { restart(); }
  ~LoaderLog() { log_reset_for_tests(); }

  // Truncates the log back to its header.
  void restart() {
    log_reset_for_tests();
    log_init_file(dir_.file("log.txt").c_str());
    log_enable(true);
  }

  std::vector<std::string> lines() const {
    std::istringstream in(read_whole_file(dir_.file("log.txt")));
    std::vector<std::string> result;
    std::string line;
    std::getline(in, line);  // the header
    while (std::getline(in, line)) result.push_back(line);
    return result;
  }

  bool has(const std::string& line) const {
    const std::vector<std::string> all = lines();
    return std::find(all.begin(), all.end(), line) != all.end();
  }

  // The lines that start with "<error> ".
  std::vector<std::string> errors() const {
    std::vector<std::string> result;
    for (const std::string& line : lines()) {
      if (line.rfind("<error> ", 0) == 0) result.push_back(line);
    }
    return result;
  }

 private:
  TempDir dir_;
};

// Loads bytes from memory as if they were the file at modelPath (whose script
// must exist), into model and, when given, shadowModel.
inline uint32_t loadBytes(ModelLoader& loader, const std::vector<uint8_t>& bytes,
                          const std::string& modelPath, RenderModel& model,
                          RenderModel* shadowModel = nullptr, uint8_t keepInRam = 1) {
  LoadTargets targets;
  targets.keepInRam = keepInRam;
  targets.model = &model;
  targets.shadowModel = shadowModel;
  return loader.loadFromBytes(bytes.data(), bytes.size(), modelPath.c_str(), targets);
}

// A folder holding an empty script for "m.x_out", where memory loads can point.
class ScriptFolder {
 public:
  ScriptFolder() { writeScriptFile(dir_.file("m.txt"), std::string()); }
  std::string modelPath() const { return dir_.file("m.x_out"); }
  std::string file(const std::string& name) const { return dir_.file(name); }

 private:
  TempDir dir_;
};
