#include "import/self_check.h"

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <unordered_map>

#include "base/dirs.h"
#include "base/log.h"
#include "import/model_parts.h"
#include "model/model_loader.h"
#include "render/render_model.h"
#include "tools/recorded_load/recorded_load.h"

namespace fs = std::filesystem;

namespace {

// Puts the working directory and the data folders back as they were.
class SavedFolders {
 public:
  SavedFolders()
      : workingDirectory_(fs::current_path(code_)),
        textureFolder_(g_textureFolder),
        effectFolder_(g_effectFolder) {}
  ~SavedFolders() {
    std::error_code ignored;
    if (!code_) fs::current_path(workingDirectory_, ignored);
    g_textureFolder = textureFolder_;
    g_effectFolder = effectFolder_;
  }
  SavedFolders(const SavedFolders&) = delete;
  SavedFolders& operator=(const SavedFolders&) = delete;

 private:
  std::error_code code_;
  fs::path workingDirectory_;
  TextString textureFolder_;
  TextString effectFolder_;
};

// The bytes that make a written vertex what it is for skinning.
std::string skinningKey(const Vector3& position, const float* weights, const uint8_t* joints,
                        int influences) {
  std::string key(reinterpret_cast<const char*>(&position), sizeof position);
  if (influences > 0) {
    key.append(reinterpret_cast<const char*>(weights), sizeof(float) * influences);
    key.append(reinterpret_cast<const char*>(joints), influences);
  }
  return key;
}

// The written vertices by their skinning bytes, to find where a vertex the
// loader holds (perhaps re-arranged by the tangent build) came from.
std::unordered_map<std::string, SourceVertexRef> writtenVertices(const AssembledModel& assembled) {
  const ModelDescription& model = assembled.model;
  const int influences = static_cast<int>(model.weightsPerVertex);
  std::unordered_map<std::string, SourceVertexRef> byKey;
  for (size_t v = 0; v < model.positions.size(); ++v) {
    const float* weights = influences > 0 ? &model.blendWeights[v * influences] : nullptr;
    const uint8_t* joints = influences > 0 ? &model.paletteIndices[v * influences] : nullptr;
    byKey.emplace(skinningKey(model.positions[v], weights, joints, influences),
                  assembled.vertexSources[v]);
  }
  return byKey;
}

Vec3d skin(const MeshGeometry& mesh, int32_t vertex, const BoundedArray<Matrix4>& palette) {
  const Vector3& p = mesh.positions[vertex];
  const int influences = static_cast<int>(mesh.weightsPerVertex);
  Vec3d sum;
  for (int k = 0; k < influences; ++k) {
    const float weight = mesh.blendWeights[static_cast<int64_t>(vertex) * influences + k];
    const uint8_t bone = mesh.paletteIndices[static_cast<int64_t>(vertex) * influences + k];
    if (weight == 0.0f || bone >= palette.count) continue;
    const float* m = palette[bone].m;
    sum = sum + Vec3d{p.x * double(m[0]) + p.y * double(m[4]) + p.z * double(m[8]) + m[12],
                      p.x * double(m[1]) + p.y * double(m[5]) + p.z * double(m[9]) + m[13],
                      p.x * double(m[2]) + p.y * double(m[6]) + p.z * double(m[10]) + m[14]} *
                    weight;
  }
  return sum;
}

class Comparison {
 public:
  Comparison(const SourceModel& source, const AssembledModel& assembled, const MeshGeometry& mesh,
             SelfCheckResult* result)
      : source_(source),
        assembled_(assembled),
        mesh_(mesh),
        result_(result),
        size_(assembled.size > 0.0 ? assembled.size : 1.0) {
    const std::unordered_map<std::string, SourceVertexRef> byKey = writtenVertices(assembled);
    const int influences = static_cast<int>(mesh.weightsPerVertex);
    // The tangent build may leave vertex numbers that no triangle uses; they are never drawn.
    std::vector<bool> used(mesh.positions.count, false);
    for (uint16_t index : mesh.indices) {
      if (index < mesh.positions.count) used[index] = true;
    }
    int unknown = 0;
    for (int32_t v = 0; v < mesh.positions.count; ++v) {
      if (!used[v]) {
        sources_.push_back({});
        known_.push_back(false);
        continue;
      }
      const float* weights = influences > 0 ? &mesh.blendWeights[int64_t(v) * influences] : nullptr;
      const uint8_t* joints =
          influences > 0 ? &mesh.paletteIndices[int64_t(v) * influences] : nullptr;
      const auto found = byKey.find(skinningKey(mesh.positions[v], weights, joints, influences));
      if (found == byKey.end()) {
        ++unknown;
        sources_.push_back({});
        known_.push_back(false);
      } else {
        sources_.push_back(found->second);
        known_.push_back(true);
      }
    }
    // A vertex that follows a bone whose scale the file cannot hold is off
    // by what the conversion warned about, not by a fault of the writer.
    onScaledBone_.assign(sources_.size(), false);
    for (int32_t v = 0; v < mesh.positions.count; ++v) {
      for (int k = 0; k < influences && known_[v]; ++k) {
        const float weight = mesh.blendWeights[int64_t(v) * influences + k];
        const uint8_t joint = mesh.paletteIndices[int64_t(v) * influences + k];
        if (weight != 0.0f && joint < assembled.jointScaleDropped.size() &&
            assembled.jointScaleDropped[joint]) {
          onScaledBone_[v] = true;
        }
      }
      if (onScaledBone_[v]) ++result->verticesOnScaledBones;
    }
    if (unknown > 0) {
      result->problems.push_back(std::to_string(unknown) +
                                 " loaded vertices match no vertex that was written");
    }
  }

  // One pose: the loaded vertices as placed (by the palette, or as they
  // are) against the source at the same pose.
  void compare(const std::vector<Mat4d>& nodeGlobals, const BoundedArray<Matrix4>* palette,
               const std::string& where) {
    const std::vector<std::vector<Vec3d>> reference = sourcePositions(source_, nodeGlobals);
    for (int32_t v = 0; v < mesh_.positions.count; ++v) {
      if (!known_[v] || (palette != nullptr && onScaledBone_[v])) continue;
      const Vector3& p = mesh_.positions[v];
      const Vec3d loaded = palette ? skin(mesh_, v, *palette) : Vec3d{p.x, p.y, p.z};
      const Vec3d expected =
          assembled_.outputPoint(reference[sources_[v].instance][sources_[v].vertex]);
      // A source vertex that is not a finite point was written at 0, as the conversion warned.
      if (!std::isfinite(expected.x) || !std::isfinite(expected.y) || !std::isfinite(expected.z)) {
        continue;
      }
      const double deviation = length(loaded - expected) / size_;
      if (!(deviation <= result_->largestDeviation)) {
        result_->largestDeviation = std::isnan(deviation) ? INFINITY : deviation;
        result_->worstCase = where + ", vertex " + std::to_string(v);
      }
    }
    ++result_->posesCompared;
  }

 private:
  const SourceModel& source_;
  const AssembledModel& assembled_;
  const MeshGeometry& mesh_;
  SelfCheckResult* result_;
  double size_;
  std::vector<SourceVertexRef> sources_;
  std::vector<bool> known_;
  std::vector<bool> onScaledBone_;
};

// Every key of every clip the script names, posed as the viewer poses it.
void compareClips(RenderModel& model, const std::vector<SampledClip>& clips, Comparison& comparison,
                  const SourceModel& source, SelfCheckResult* result) {
  if (model.animations.count < static_cast<int32_t>(clips.size())) {
    result->problems.push_back("the script gives " + std::to_string(model.animations.count) +
                               " animations, " + std::to_string(clips.size()) + " were written");
    return;
  }
  BoundedArray<Matrix4> palette;
  if (!palette.resize(model.bones.count)) {
    result->problems.push_back("no memory for the bone palette");
    return;
  }
  // The script repeats clips when it has fewer than the viewer's starting index needs.
  for (int32_t a = 0; a < model.animations.count; ++a) {
    const NamedAnimation& animation = model.animations[a];
    const SampledClip& clip = clips[a % clips.size()];
    for (int32_t f = 0; f < animation.frames.count; ++f) {
      const std::string where =
          std::string("clip ") + animation.name + ", frame " + std::to_string(f);
      // The viewer must find the key at its time; the pose is then taken at
      // the key itself, since at a key time the viewer's rotation blend of
      // two nearly equal keys gives their average rather than the first.
      const uint32_t elapsed = static_cast<uint32_t>(f) * animation.speed;
      const int32_t key = animation.frames[f];
      if (!model.SmoothAnim(0, elapsed, animation.speed, palette, animation.frames) ||
          !model.BuildBonePalette(key, key, 0.0f, palette)) {
        result->problems.push_back("the viewer cannot pose " + where);
        return;
      }
      comparison.compare(source.pose.globals(clip.animation, clip.ticksAt(f)), &palette, where);
    }
  }
}

void checkLog(const std::vector<std::string>& lines, SelfCheckResult* result) {
  for (const std::string& line : lines) {
    if (line.rfind("<error", 0) == 0 || line.rfind("<ERROR", 0) == 0) {
      result->problems.push_back("the load logged: " + line);
    } else if (line.rfind("<info> texture: ", 0) == 0 ||
               line.rfind("<info> material texture: ", 0) == 0 ||
               line.rfind("<info> bumptexture: ", 0) == 0) {
      result->problems.push_back("a texture did not load: " + line);
    }
  }
}

void checkFile(const SourceModel& source, const AssembledModel& assembled,
               const std::vector<SampledClip>& clips, const std::string& modelFile,
               const std::string& textureDir, SelfCheckResult* out) {
  SelfCheckResult& result = *out;
  RecordedModelLoad recorded;
  if (!recorded.setupProblem().empty()) {
    result.problems.push_back(recorded.setupProblem());
    return;
  }
  g_textureFolder = TextString((fs::absolute(textureDir).string() + "/").c_str());
  // The viewer takes effect names as they stand, from its start folder.
  g_effectFolder = TextString();
  const uint32_t loaded = recorded.load(modelFile);
  checkLog(recorded.logLines(), &result);
  if (!loaded) {
    result.problems.push_back("the viewer's loader does not load " + modelFile);
    return;
  }
  RenderModel& model = recorded.model();
  Comparison comparison(source, assembled, recorded.loader().mesh, &result);
  if (model.bones.count > 0) {
    compareClips(model, clips, comparison, source, &result);
  } else {
    comparison.compare(source.pose.globals(nullptr, 0.0), nullptr, "rest pose");
  }
}

}  // namespace

SelfCheckResult runSelfCheck(const SourceModel& source, const AssembledModel& assembled,
                             const std::vector<SampledClip>& clips, const std::string& binDir,
                             const std::string& modelFile, const std::string& textureDir) {
  SelfCheckResult result;
  SavedFolders saved;
  std::error_code code;
  fs::current_path(binDir, code);
  if (code) {
    result.problems.push_back("cannot work in " + binDir);
    return result;
  }
  checkFile(source, assembled, clips, modelFile, textureDir, &result);
  // Each further part is a model file of its own with the same skeleton.
  const std::string stem = modelFile.substr(0, modelFile.rfind(".x_out"));
  for (size_t p = 0; p < assembled.moreParts.size(); ++p) {
    AssembledModel part;
    part.model = assembled.moreParts[p].model;
    part.vertexSources = assembled.moreParts[p].vertexSources;
    part.fit = assembled.fit;
    part.size = assembled.size;
    part.jointBind = assembled.jointBind;
    part.jointBindSet = assembled.jointBindSet;
    part.jointScaleDropped = assembled.jointScaleDropped;
    checkFile(source, part, clips, partFileName(stem, p), textureDir, &result);
  }
  result.passed = result.problems.empty() && result.largestDeviation <= kMaxRelativeDeviation;
  return result;
}
