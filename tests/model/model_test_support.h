#pragma once
// Shared pieces of the model tests: a loader log routed into a temporary
// folder and a load from memory beside a script.
#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "base/dirs.h"
#include "base/log.h"
#include "model/model_loader.h"
#include "platform/backend.h"
#include "platform/record/recording_backend.h"
#include "render/device.h"
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

// The process-wide device on the recording backend for the life of the
// object, so that loads can upload their buffers.
class RecordedDevice {
 public:
  RecordedDevice() {
    ReleaseDeviceGlobals();
    created_ = device_.Create(800, 600, true, reinterpret_cast<HWND>(uintptr_t{0x5150})) == 1;
  }
  ~RecordedDevice() { ReleaseDeviceGlobals(); }
  RecordedDevice(const RecordedDevice&) = delete;
  RecordedDevice& operator=(const RecordedDevice&) = delete;

  bool created() const { return created_; }
  Recorder& recorder() { return backend_.recorder(); }

 private:
  RecordingBackend backend_;
  ScopedGraphicsBackend scope_{backend_};
  CDevice device_;
  bool created_ = false;
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

// The viewer's folders in a temporary place: the start folder "bin" is the
// working directory, "texture" sits beside it, and effect names are used as
// they stand, relative to the start folder (as the viewer sets them up).
class ViewerLayout {
 public:
  ViewerLayout()
      : root_(std::filesystem::canonical(dir_.path())),
        savedTexture_(g_textureFolder),
        savedEffect_(g_effectFolder) {
    std::filesystem::create_directories(root_ / "bin");
    std::filesystem::create_directories(root_ / "texture");
    std::filesystem::current_path(root_ / "bin");
    g_textureFolder = ((root_ / "texture").string() + "/").c_str();
    g_effectFolder = TextString();
  }
  ~ViewerLayout() {
    g_textureFolder = savedTexture_;
    g_effectFolder = savedEffect_;
  }

  std::string bin(const std::string& name) const { return (root_ / "bin" / name).string(); }
  std::string texture(const std::string& name) const { return (root_ / "texture" / name).string(); }
  // A BMP header of 8 x 8 texels: the recorder reads nothing more.
  void writeTexture(const std::string& name) const {
    auto le32 = [](uint32_t v) {
      return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
    };
    write_whole_file(texture(name), "BM" + le32(0) + le32(0) + le32(54) + le32(40) + le32(8) +
                                        le32(8) + std::string(28, '\0'));
  }
  void writeEffect(const std::string& name) const {
    write_whole_file(bin(name), "technique t { pass p {} }\n");
  }

 private:
  TempDir dir_;
  WorkingDirectoryGuard cwd_;  // back before the folder is removed
  std::filesystem::path root_;
  TextString savedTexture_;
  TextString savedEffect_;
};
