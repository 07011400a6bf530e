#pragma once
#include <string>
#include <vector>

#include "import/clip_plan.h"
#include "import/model_assembly.h"
#include "import/source_model.h"

// What loading the written model back showed.
struct SelfCheckResult {
  bool passed = false;
  double largestDeviation = 0.0;  // relative to the model's size
  std::string worstCase;          // where it was largest ("clip walk, frame 3")
  int posesCompared = 0;
  // Vertices left out of the posed comparison: they follow a bone whose
  // changing scale the model file cannot hold (the conversion warned).
  int verticesOnScaledBones = 0;
  std::vector<std::string> problems;  // each one fails the check
};

// Deviation above which the check fails, relative to the model's size.
inline constexpr double kMaxRelativeDeviation = 1e-3;

// Loads binDir/modelFile with the viewer's loader on the recording backend,
// from binDir as the viewer would (textures from textureDir), then compares
// at every key of every clip the mesh skinned with the viewer's own palette
// code (RenderModel::BuildBonePalette at that key) against the source scene
// skinned from its own data. Any "<error"
// line of the load, a texture that did not load, a vertex the source does
// not have, or a deviation above kMaxRelativeDeviation fails the check.
SelfCheckResult runSelfCheck(const SourceModel& source, const AssembledModel& assembled,
                             const std::vector<SampledClip>& clips, const std::string& binDir,
                             const std::string& modelFile, const std::string& textureDir);
