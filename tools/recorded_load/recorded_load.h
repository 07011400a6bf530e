#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/model_loader.h"
#include "platform/backend.h"
#include "platform/record/recording_backend.h"
#include "render/render_model.h"

// One model load as the viewer makes it (shadow volume, tangents, upload,
// resources), on a recording graphics device and with the loader's log in a
// temporary file of its own. For the tools that inspect, validate or check a
// model without a window. The caller sets the folder values it wants first.
class RecordedModelLoad {
 public:
  RecordedModelLoad();
  ~RecordedModelLoad();
  RecordedModelLoad(const RecordedModelLoad&) = delete;
  RecordedModelLoad& operator=(const RecordedModelLoad&) = delete;

  // Empty when the log file and the device are there; otherwise what is missing.
  const std::string& setupProblem() const { return setupProblem_; }

  // ModelLoader::load's result; the log is switched off afterwards.
  uint32_t load(const std::string& modelPath);

  // The lines the load logged, without the log's header line.
  std::vector<std::string> logLines() const;

  ModelLoader& loader() { return *loader_; }
  RenderModel& model() { return *model_; }
  RenderModel& shadowModel() { return *shadowModel_; }

 private:
  // Declared first so that they go last: every recorded object needs them.
  RecordingBackend backend_;
  ScopedGraphicsBackend useBackend_;
  std::string logPath_;
  std::string setupProblem_;
  std::unique_ptr<RenderModel> model_;
  std::unique_ptr<RenderModel> shadowModel_;
  std::unique_ptr<ModelLoader> loader_;
};
