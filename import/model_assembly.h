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

// A further model file of a model too large for one: its contents and the
// source vertex of each of its vertices.
struct AssembledPart {
  ModelDescription model;
  std::vector<SourceVertexRef> vertexSources;
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
  // The scene material each written material comes from, in file order.
  std::vector<unsigned> materialSources;
  // The files after the first of a model over the format's limits; each
  // gets the same skeleton and clips as the first.
  std::vector<AssembledPart> moreParts;
  // What a simplification did: indices before and after, and the error
  // reached as a share of the model's extent.
  size_t simplifiedFrom = 0;
  size_t simplifiedTo = 0;
  float simplifyError = 0.0f;

  // A source-space point where the output puts it.
  Vec3d outputPoint(const Vec3d& source) const { return fit.transformPoint(mirrorZ(source)); }

  // Mesh space of each joint's vertices to the joint's space (output), with
  // the joint's unchanging scale left out; set by the geometry step.
  std::vector<Mat4d> jointBind;
  std::vector<bool> jointBindSet;
  // Joints whose scale changes while animating; their keys keep the first
  // frame's scale only.
  std::vector<bool> jointScaleDropped;
};

inline constexpr int kMaxIndexCount = 65535;
// Parts a model may be cut into: each takes one of the script's 64 commands.
inline constexpr int kMaxModelParts = 24;

// Where the model goes: it is turned by orientation (a rotation in the
// output space that stands it upright), then the rest pose's bounding box is
// scaled to a diagonal of fitSize and centred on fitCentre; a fitSize of 0
// keeps the source's units and place; kFitToView (the default) sizes and
// places it so that it fills a fixed share of the viewer's view.
inline constexpr double kFitToView = -1.0;
struct AssemblyOptions {
  double simplify = -1.0;  // below 0: keep every triangle; 0: to fit one file; else the share kept
  double fitSize = kFitToView;
  Vec3d fitCentre;
  Mat4d orientation;
};

// Vertices (identical ones joined), indices ordered by material with one
// material record per scene material used, and the fit. A model over the
// format's 65,535 indices or vertices is cut into parts (the first in
// model, the others in moreParts); false with a reason when even the parts
// a script can name would not hold it.
bool assembleGeometry(const SourceModel& source, const AssemblyOptions& options,
                      AssembledModel* out, std::string* error);

// The triangles of every instance (faces of three corners).
int triangleCountOf(const SourceModel& source);

// The skeleton (parents, order, offsets) and every clip's keys; needs the
// geometry step first. Warns about bones whose scale changes over time.
void assembleAnimation(const SourceModel& source, const std::vector<SampledClip>& clips,
                       AssembledModel* out);
