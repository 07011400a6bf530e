#include "model/model_consistency.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

#include "render/render_model.h"

namespace {

constexpr int kMaxIndexCount = 65535;
constexpr int kMinValuesPerKey = 16;
constexpr uint8_t kNoParent = 255;

// Formats violations into log lines and remembers when the sink said stop.
class ViolationReporter {
 public:
  explicit ViolationReporter(const ConsistencySink& sink) : sink_(sink) {}

  bool stopped() const { return stopped_; }
  int reported() const { return reported_; }

  void report(const char* format, ...) __attribute__((format(printf, 2, 3))) {
    if (stopped_) return;
    char line[320];
    int prefix = std::snprintf(line, sizeof line, "<error> ModelLoader::checkconsistency() ");
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(line + prefix, sizeof line - prefix, format, arguments);
    va_end(arguments);
    ++reported_;
    if (!sink_(line)) stopped_ = true;
  }

  // A line that already has its own wording.
  void reportLine(const char* line) {
    if (stopped_) return;
    ++reported_;
    if (!sink_(line)) stopped_ = true;
  }

 private:
  const ConsistencySink& sink_;
  bool stopped_ = false;
  int reported_ = 0;
};

void checkPerVertexCount(ViolationReporter& out, int32_t count, int32_t vertices, const char* what) {
  if (count != 0 && count != vertices) out.report("%d %s for %d vertices", count, what, vertices);
}

void checkSkinning(ViolationReporter& out, const MeshGeometry& mesh, int32_t boneCount) {
  const int64_t vertices = mesh.positions.count;
  if (!mesh.blendWeights.empty()) {
    const uint32_t w = mesh.weightsPerVertex;
    if (w < 1 || w > 4) out.report("weights per vertex %u not 1-4", w);
    if (mesh.blendWeights.count != vertices * w) {
      out.report("%d blend weights for %lld vertices with %u per vertex", mesh.blendWeights.count,
                 static_cast<long long>(vertices), w);
    }
  }
  if (mesh.paletteIndices.empty()) return;
  const uint32_t p = mesh.paletteIndicesPerVertex;
  if (p < 1 || p > 4) out.report("palette indices per vertex %u not 1-4", p);
  if (mesh.paletteIndices.count != vertices * p) {
    out.report("%d palette indices for %lld vertices with %u per vertex", mesh.paletteIndices.count,
               static_cast<long long>(vertices), p);
  }
  int bad = 0;
  int32_t first = -1;
  for (int32_t i = 0; i < mesh.paletteIndices.count; ++i) {
    if (mesh.paletteIndices[i] >= boneCount) {
      if (bad++ == 0) first = i;
    }
  }
  if (bad > 0) {
    const int32_t vertex = p > 0 ? first / static_cast<int32_t>(p) : first;
    out.report("%d palette indices not below bone count %d, first: %u at vertex %d", bad, boneCount,
               mesh.paletteIndices[first], vertex);
  }
}

void checkIndices(ViolationReporter& out, const MeshGeometry& mesh) {
  const int32_t count = mesh.indices.count;
  if (count % 3 != 0) out.report("index count %d not a multiple of 3", count);
  if (count > kMaxIndexCount) out.report("index count %d above %d", count, kMaxIndexCount);
  int bad = 0;
  int32_t first = -1;
  for (int32_t i = 0; i < count; ++i) {
    if (mesh.indices[i] >= mesh.positions.count) {
      if (bad++ == 0) first = i;
    }
  }
  if (bad > 0) {
    out.report("%d indices not below vertex count %d, first: %u at position %d", bad,
               mesh.positions.count, mesh.indices[first], first);
  }
}

void checkKeys(ViolationReporter& out, const BoundedArray<cAnimationKeys>& bones) {
  if (bones.empty()) return;
  const int32_t frames = bones[0].keys.count;
  int unequal = 0, firstBone = -1;
  int shortKeys = 0, shortBone = -1, shortKey = -1, shortCount = 0;
  for (int32_t b = 0; b < bones.count; ++b) {
    const BoundedArray<AnimationKey>& keys = bones[b].keys;
    if (keys.count != frames && unequal++ == 0) firstBone = b;
    for (int32_t k = 0; k < keys.count; ++k) {
      if (keys[k].values.count < kMinValuesPerKey && shortKeys++ == 0) {
        shortBone = b;
        shortKey = k;
        shortCount = keys[k].values.count;
      }
    }
  }
  if (unequal > 0) {
    out.report("%d bone tracks differ from bone 0's %d keys, first: bone %d with %d keys", unequal,
               frames, firstBone, bones[firstBone].keys.count);
  }
  if (shortKeys > 0) {
    out.report("%d keys have fewer than %d values, first: bone %d key %d with %d", shortKeys,
               kMinValuesPerKey, shortBone, shortKey, shortCount);
  }
}

void checkArmature(ViolationReporter& out, const RenderModel& model) {
  const int32_t bones = model.bones.count;
  const int32_t armature = model.boneParents.count;
  if (armature != bones || model.boneOrder.count != bones) {
    out.report("armature bone count %d differs from animation bone count %d", armature, bones);
    return;
  }
  int badParents = 0, firstChild = -1;
  for (int32_t b = 0; b < bones; ++b) {
    const uint8_t parent = model.boneParents[b];
    if (parent != kNoParent && parent >= bones && badParents++ == 0) firstChild = b;
  }
  if (badParents > 0) {
    out.report("%d bone parents neither below bone count %d nor 255, first: %u of bone %d",
               badParents, bones, model.boneParents[firstChild], firstChild);
  }

  std::vector<bool> handled(static_cast<size_t>(bones), false);
  int badEntries = 0, firstEntryStep = -1;
  int lateParents = 0, lateStep = -1;
  for (int32_t s = 0; s < bones; ++s) {
    const uint8_t bone = model.boneOrder[s];
    if (bone >= bones) {
      if (badEntries++ == 0) firstEntryStep = s;
      continue;
    }
    const uint8_t parent = model.boneParents[bone];
    if (parent != kNoParent && (parent >= bones || !handled[parent]) && lateParents++ == 0) {
      lateStep = s;
    }
    handled[bone] = true;
  }
  if (badEntries > 0) {
    out.report("%d order entries not below bone count %d, first: %u at step %d", badEntries, bones,
               model.boneOrder[firstEntryStep], firstEntryStep);
  }
  if (lateParents > 0) {
    const uint8_t bone = model.boneOrder[lateStep];
    out.report("%d bones handled before their parent, first: bone %u at step %d, parent %u",
               lateParents, bone, lateStep, model.boneParents[bone]);
  }
}

}  // namespace

int checkModelConsistency(const MeshGeometry& mesh, const RenderModel* model,
                          const ConsistencySink& sink) {
  ViolationReporter out(sink);
  const int32_t boneCount = model ? model->bones.count : 0;
  const int32_t vertices = mesh.positions.count;

  const bool hasVertexData = !mesh.blendWeights.empty() || !mesh.paletteIndices.empty() ||
                             !mesh.normals.empty() || !mesh.texCoords0.empty() ||
                             !mesh.texCoords1.empty() || !mesh.indices.empty();
  if (vertices == 0 && hasVertexData) {
    // Without positions every other per-vertex rule would only repeat this one.
    out.reportLine("<error> Vectors not loaded... phew!");
  } else if (vertices > 0) {
    checkSkinning(out, mesh, boneCount);
    checkPerVertexCount(out, mesh.normals.count, vertices, "normals");
    checkPerVertexCount(out, mesh.texCoords0.count, vertices, "texture coords 0");
    checkPerVertexCount(out, mesh.texCoords1.count, vertices, "texture coords 1");
    checkIndices(out, mesh);
  }

  if (model != nullptr) {
    checkKeys(out, model->bones);
    checkArmature(out, *model);
  }
  return out.reported();
}
