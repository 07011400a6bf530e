#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "import/clip_plan.h"
#include "import/source_model.h"
#include "import/transform_math.h"
#include "tools/model_writer/model_writer.h"

// Which source vertex a written vertex was made from.
struct SourceVertexRef {
  uint32_t instance = 0;
  uint32_t vertex = 0;
};

// The model file's contents made from a source model, in the viewer's space:
// left-handed (the source mirrored through z = 0), clockwise front faces,
// texture v running down, moved and scaled by the fit.
struct AssembledModel {
  ModelDescription model;
  std::vector<SourceVertexRef> vertexSources;  // one per written vertex
  Mat4d fit;          // applied after the mirror: orientation, scale, place
  double size = 0.0;  // diagonal of the rest pose's bounding box, after the fit
  bool hasTexCoords = false;
  int triangles = 0;
  int frames = 0;  // keys per bone track
  std::vector<std::string> warnings;

  // A source-space point where the output puts it.
  Vec3d outputPoint(const Vec3d& source) const { return fit.transformPoint(mirrorZ(source)); }

  // Mesh space of each joint's vertices to the joint's space (output), with
  // the joint's unchanging scale left out; set by the geometry step.
  std::vector<Mat4d> jointBind;
  std::vector<bool> jointBindSet;
};

inline constexpr int kMaxIndexCount = 65535;

// Where the model goes: it is turned by orientation (a rotation in the
// output space that stands it upright), then the rest pose's bounding box is
// scaled to a diagonal of fitSize and centred on fitCentre; a fitSize of 0
// keeps the source's units and place.
struct AssemblyOptions {
  double fitSize = 4.4;
  Vec3d fitCentre;
  Mat4d orientation;
};

// Vertices (identical ones joined), indices and the fit. False with a reason
// when the model needs more indices than the format holds.
bool assembleGeometry(const SourceModel& source, const AssemblyOptions& options,
                      AssembledModel* out, std::string* error);

// The skeleton (parents, order, offsets) and every clip's keys; needs the
// geometry step first. Warns about bones whose scale changes over time.
void assembleAnimation(const SourceModel& source, const std::vector<SampledClip>& clips,
                       AssembledModel* out);
