#include "tools/recorded_load/recorded_load.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "base/log.h"
#include "render/device.h"

namespace {

std::string makeTemporaryLogFile() {
  std::string pattern =
      (std::filesystem::temp_directory_path() / "meshview-load-log-XXXXXX").string();
  const int descriptor = mkstemp(pattern.data());
  if (descriptor < 0) return {};
  close(descriptor);
  return pattern;
}

// The recording device needs a window handle, never a real window.
HWND recordingWindow() { return reinterpret_cast<HWND>(uintptr_t{0x4D49}); }

}  // namespace

RecordedModelLoad::RecordedModelLoad()
    : useBackend_(backend_),
      logPath_(makeTemporaryLogFile()),
      model_(std::make_unique<RenderModel>()),
      shadowModel_(std::make_unique<RenderModel>()),
      loader_(std::make_unique<ModelLoader>()) {
  if (logPath_.empty()) {
    setupProblem_ = "cannot create a temporary file for the loader's log";
    return;
  }
  CDevice device;
  if (device.Create(800, 600, true, recordingWindow()) == 0) {
    setupProblem_ = "the recording graphics device could not be created";
  }
}

RecordedModelLoad::~RecordedModelLoad() {
  log_enable(false);
  // Every object the load created goes before the device.
  loader_.reset();
  shadowModel_.reset();
  model_.reset();
  ReleaseDeviceGlobals();
  if (!logPath_.empty()) {
    std::error_code ignored;
    std::filesystem::remove(logPath_, ignored);
  }
}

uint32_t RecordedModelLoad::load(const std::string& modelPath) {
  if (!setupProblem_.empty()) return 0;
  log_init_file(logPath_.c_str());
  log_enable(true);
  LoadTargets targets;
  targets.keepInRam = 1;
  targets.model = model_.get();
  targets.shadowModel = shadowModel_.get();
  const uint32_t loaded = loader_->load(modelPath.c_str(), targets);
  log_enable(false);
  return loaded;
}

std::vector<std::string> RecordedModelLoad::logLines() const {
  std::vector<std::string> lines;
  std::ifstream in(logPath_);
  std::string line;
  std::getline(in, line);  // the log's own header line
  while (std::getline(in, line)) lines.push_back(line);
  return lines;
}
