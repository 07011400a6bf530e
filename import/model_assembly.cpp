#include "import/model_assembly.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <unordered_map>

#include "import/material_records.h"
#include "import/model_parts.h"
#include "import/simplify.h"
#include "import/view_fit.h"

namespace {

// One written vertex, compared byte for byte when joining identical ones.
struct OutputVertex {
  float position[3];
  float normal[3];
  float uv0[2];
  float uv1[2];
  float weights[4];
  uint8_t joints[4];
};
static_assert(sizeof(OutputVertex) == 60, "OutputVertex has no padding to compare");

bool operator==(const OutputVertex& a, const OutputVertex& b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

struct OutputVertexHash {
  size_t operator()(const OutputVertex& v) const {
    // FNV-1a over the bytes.
    uint64_t hash = 1469598103934665603ull;
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(&v);
    for (size_t i = 0; i < sizeof v; ++i) {
      hash ^= bytes[i];
      hash *= 1099511628211ull;
    }
    return static_cast<size_t>(hash);
  }
};

// The largest element of the upper 3x3.
double largestLinear(const Mat4d& a) {
  double largest = 0.0;
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) largest = std::max(largest, std::fabs(a.at(r, c)));
  return largest;
}

float finiteOrZero(double value) { return std::isfinite(value) ? static_cast<float>(value) : 0.0f; }

int countTriangles(const SourceModel& source) {
  int64_t triangles = 0;
  for (const MeshInstance& instance : source.instances) {
    const aiMesh& mesh = *source.scene->mMeshes[instance.mesh];
    for (unsigned f = 0; f < mesh.mNumFaces; ++f) {
      if (mesh.mFaces[f].mNumIndices == 3) ++triangles;
    }
  }
  return static_cast<int>(std::min<int64_t>(triangles, std::numeric_limits<int>::max() / 3));
}

std::string withThousands(int64_t value) {
  std::string digits = std::to_string(value);
  for (int i = static_cast<int>(digits.size()) - 3; i > 0; i -= 3) digits.insert(i, ",");
  return digits;
}

// Scales the rest pose's bounding box (after the orientation) to a diagonal
// of fitSize around its centre and moves that centre to the given place; a
// negative fitSize sizes and places it by the viewer's view instead.
Mat4d fitTransform(const SourceModel& source, const Mat4d& orientation, double fitSize,
                   const Vec3d& centre, double* size) {
  const std::vector<std::vector<Vec3d>> rest =
      sourcePositions(source, source.pose.globals(nullptr, 0.0));
  Vec3d low{1e300, 1e300, 1e300}, high{-1e300, -1e300, -1e300};
  for (const std::vector<Vec3d>& instance : rest) {
    for (const Vec3d& p : instance) {
      const Vec3d q = orientation.transformPoint(mirrorZ(p));
      if (!std::isfinite(q.x) || !std::isfinite(q.y) || !std::isfinite(q.z)) continue;
      low = {std::min(low.x, q.x), std::min(low.y, q.y), std::min(low.z, q.z)};
      high = {std::max(high.x, q.x), std::max(high.y, q.y), std::max(high.z, q.z)};
    }
  }
  if (low.x > high.x) {
    *size = 0.0;
    return Mat4d{};
  }
  const double diagonal = length(high - low);
  if (fitSize < 0.0) {
    const ViewFit fit = fitToView(high - low);
    *size = diagonal * fit.scale;
    return Mat4d::translation((low + high) * -0.5) * Mat4d::scaling(fit.scale) *
           Mat4d::translation(fit.centre);
  }
  if (!(fitSize > 0.0) || !(diagonal > 0.0)) {
    *size = diagonal;
    return Mat4d{};
  }
  *size = fitSize;
  return Mat4d::translation((low + high) * -0.5) * Mat4d::scaling(fitSize / diagonal) *
         Mat4d::translation(centre);
}

// Each instance's placement in the output (mesh space to output space) and
// each weighted joint's bind matrix, shared by every mesh that joint moves.
std::vector<Mat4d> placeInstances(const SourceModel& source, AssembledModel* out) {
  const std::vector<Mat4d> rest = source.pose.globals(nullptr, 0.0);
  std::vector<Mat4d> placements;
  out->jointBind.assign(source.joints.size(), Mat4d{});
  out->jointBindSet.assign(source.joints.size(), false);
  int conflicts = 0;
  for (size_t i = 0; i < source.instances.size(); ++i) {
    Mat4d placement = mirrorZ(rest[source.instances[i].node]) * out->fit;
    if (!source.skinned) {
      placements.push_back(placement);
      continue;
    }
    const InstanceSkin& skin = source.skins[i];
    // A joint an earlier mesh already bound decides where this mesh sits.
    for (const auto& [joint, offset] : skin.offsets) {
      if (out->jointBindSet[joint]) {
        placement = mirrorZ(offset) * out->jointBind[joint].inverse();
        break;
      }
    }
    const Mat4d toMesh = placement.inverse();
    for (const auto& [joint, offset] : skin.offsets) {
      const Mat4d bind = toMesh * mirrorZ(offset);
      if (!out->jointBindSet[joint]) {
        out->jointBind[joint] = bind;
        out->jointBindSet[joint] = true;
      } else if (bind.maxDifference(out->jointBind[joint]) >
                 1e-4 * std::max(1.0, out->jointBind[joint].maxDifference(Mat4d{}))) {
        ++conflicts;
      }
    }
    placements.push_back(placement);
  }
  if (conflicts > 0) {
    out->warnings.push_back(std::to_string(conflicts) +
                            " bones bind meshes in different poses; those meshes may be misplaced");
  }
  return placements;
}

OutputVertex makeVertex(const SourceModel& source, size_t instance, unsigned index,
                        const Mat4d& placement, bool uv0, bool uv1) {
  const aiMesh& mesh = *source.scene->mMeshes[source.instances[instance].mesh];
  OutputVertex v;
  std::memset(&v, 0, sizeof v);
  const aiVector3D& p = mesh.mVertices[index];
  const Vec3d position = placement.transformPoint(mirrorZ(Vec3d{p.x, p.y, p.z}));
  v.position[0] = finiteOrZero(position.x);
  v.position[1] = finiteOrZero(position.y);
  v.position[2] = finiteOrZero(position.z);
  if (mesh.mNormals != nullptr) {
    const aiVector3D& n = mesh.mNormals[index];
    const Vec3d normal = placement.transformNormal(mirrorZ(Vec3d{n.x, n.y, n.z}));
    v.normal[0] = finiteOrZero(normal.x);
    v.normal[1] = finiteOrZero(normal.y);
    v.normal[2] = finiteOrZero(normal.z);
  }
  // The source's v runs up the image; the device's runs down.
  if (uv0 && mesh.mTextureCoords[0] != nullptr) {
    v.uv0[0] = finiteOrZero(mesh.mTextureCoords[0][index].x);
    v.uv0[1] = finiteOrZero(1.0 - mesh.mTextureCoords[0][index].y);
  }
  if (uv1 && mesh.mTextureCoords[1] != nullptr) {
    v.uv1[0] = finiteOrZero(mesh.mTextureCoords[1][index].x);
    v.uv1[1] = finiteOrZero(1.0 - mesh.mTextureCoords[1][index].y);
  }
  if (source.skinned) {
    const std::vector<SourceInfluence>& influences = source.skins[instance].influences[index];
    for (size_t k = 0; k < influences.size(); ++k) {
      v.weights[k] = static_cast<float>(influences[k].weight);
      v.joints[k] = static_cast<uint8_t>(influences[k].joint);
    }
  }
  return v;
}

void writeVertexLists(const std::vector<OutputVertex>& vertices, bool skinned, int influences,
                      bool uv0, bool uv1, ModelDescription* out) {
  ModelDescription& model = *out;
  for (const OutputVertex& v : vertices) {
    model.positions.push_back({v.position[0], v.position[1], v.position[2]});
    model.normals.push_back({v.normal[0], v.normal[1], v.normal[2]});
    if (uv0) model.texCoords0.push_back({v.uv0[0], v.uv0[1]});
    if (uv1) model.texCoords1.push_back({v.uv1[0], v.uv1[1]});
    if (skinned) {
      for (int k = 0; k < influences; ++k) {
        model.blendWeights.push_back(v.weights[k]);
        model.paletteIndices.push_back(v.joints[k]);
      }
    }
  }
  if (skinned) {
    model.weightsPerVertex = static_cast<uint32_t>(influences);
    model.paletteIndicesPerVertex = static_cast<uint32_t>(influences);
  }
}

}  // namespace

int triangleCountOf(const SourceModel& source) { return countTriangles(source); }

bool assembleGeometry(const SourceModel& source, const AssemblyOptions& options,
                      AssembledModel* out, std::string* error) {
  out->triangles = countTriangles(source);
  const int64_t indices = static_cast<int64_t>(out->triangles) * 3;
  if (options.simplify < 0.0 && indices > static_cast<int64_t>(kMaxIndexCount) * kMaxModelParts) {
    *error = "the model needs " + withThousands(indices) + " indices (" +
             withThousands(out->triangles) + " triangles); " + std::to_string(kMaxModelParts) +
             " parts of " + withThousands(kMaxIndexCount) + " hold at most " +
             withThousands(static_cast<int64_t>(kMaxIndexCount) * kMaxModelParts) +
             " (--simplify makes it smaller)";
    return false;
  }
  out->fit = options.orientation * fitTransform(source, options.orientation, options.fitSize,
                                                options.fitCentre, &out->size);
  const std::vector<Mat4d> placements = placeInstances(source, out);

  bool uv0 = false, uv1 = false;
  for (const MeshInstance& instance : source.instances) {
    uv0 = uv0 || source.scene->mMeshes[instance.mesh]->mTextureCoords[0] != nullptr;
    uv1 = uv1 || source.scene->mMeshes[instance.mesh]->mTextureCoords[1] != nullptr;
  }
  out->hasTexCoords = uv0;

  // Instances in the order of their materials, so that each material's
  // triangles form one range.
  std::vector<size_t> order(source.instances.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  const auto materialOf = [&](size_t i) {
    return source.scene->mMeshes[source.instances[i].mesh]->mMaterialIndex;
  };
  std::stable_sort(order.begin(), order.end(),
                   [&](size_t a, size_t b) { return materialOf(a) < materialOf(b); });

  WideMesh wide;
  std::vector<OutputVertex> vertices;
  std::vector<SourceVertexRef> wideSources;
  std::unordered_map<OutputVertex, uint32_t, OutputVertexHash> joined;
  int influences = 1;
  for (size_t i : order) {
    const aiMesh& mesh = *source.scene->mMeshes[source.instances[i].mesh];
    if (out->materialSources.empty() || out->materialSources.back() != mesh.mMaterialIndex) {
      out->materialSources.push_back(mesh.mMaterialIndex);
      wide.materials.push_back(materialRecord(mesh.mMaterialIndex < source.scene->mNumMaterials
                                                  ? source.scene->mMaterials[mesh.mMaterialIndex]
                                                  : nullptr));
    }
    const int32_t material = static_cast<int32_t>(out->materialSources.size()) - 1;
    for (unsigned f = 0; f < mesh.mNumFaces; ++f) {
      const aiFace& face = mesh.mFaces[f];
      if (face.mNumIndices != 3) continue;
      // The mirror turns the winding round; swapping two corners turns it back.
      for (unsigned corner : {0u, 2u, 1u}) {
        const unsigned index = face.mIndices[corner];
        const OutputVertex v = makeVertex(source, i, index, placements[i], uv0, uv1);
        const auto [found, added] = joined.emplace(v, static_cast<uint32_t>(vertices.size()));
        if (added) {
          vertices.push_back(v);
          wideSources.push_back({static_cast<uint32_t>(i), index});
          if (source.skinned) {
            influences =
                std::max(influences, static_cast<int>(source.skins[i].influences[index].size()));
          }
        }
        wide.indices.push_back(found->second);
      }
      wide.triangleMaterials.push_back(material);
    }
  }
  writeVertexLists(vertices, source.skinned, influences, uv0, uv1, &wide.vertices);

  if (options.simplify >= 0.0) {
    const SimplifyResult simplified = simplifyMesh(wide, options.simplify);
    out->simplifiedFrom = simplified.indicesBefore;
    out->simplifiedTo = simplified.indicesAfter;
    out->simplifyError = simplified.error;
    out->triangles = static_cast<int>(wide.indices.size() / 3);
  }
  std::vector<ModelPart> parts = splitIntoParts(wide);
  if (parts.size() > static_cast<size_t>(kMaxModelParts)) {
    *error = "the model needs " + std::to_string(parts.size()) + " parts of at most " +
             withThousands(kMaxIndexCount) + " indices and vertices; a script names at most " +
             std::to_string(kMaxModelParts) + " (--simplify makes it smaller)";
    return false;
  }
  for (size_t p = 0; p < parts.size(); ++p) {
    AssembledPart part;
    part.model = std::move(parts[p].model);
    for (uint32_t vertex : parts[p].wideVertex) part.vertexSources.push_back(wideSources[vertex]);
    if (p == 0) {
      out->model = std::move(part.model);
      out->vertexSources = std::move(part.vertexSources);
    } else {
      out->moreParts.push_back(std::move(part));
    }
  }
  return true;
}

// A relative change of scale smaller than this is taken as none.
constexpr double kScaleChangeNoticed = 1e-4;

void assembleAnimation(const SourceModel& source, const std::vector<SampledClip>& clips,
                       AssembledModel* out) {
  if (!source.skinned || clips.empty()) return;
  const size_t jointCount = source.joints.size();
  ModelDescription& model = out->model;
  model.writeAnimation = true;
  model.writeArmature = true;
  model.bones.assign(jointCount, WrittenTrack{});
  for (size_t j = 0; j < jointCount; ++j) {
    const int parent = source.joints[j].parent;
    model.boneParents.push_back(parent < 0 ? 255 : static_cast<uint8_t>(parent));
    model.boneOrder.push_back(static_cast<uint8_t>(j));
    model.bones[j].tag = static_cast<int32_t>(j);
  }

  // The scale each joint keeps, from the first frame; the viewer's keys are
  // rotation and translation only, so the offsets carry it.
  std::vector<Mat4d> keptScale(jointCount);
  std::vector<double> scaleChange(jointCount, 0.0);
  bool first = true;
  int frame = 0;
  for (const SampledClip& clip : clips) {
    for (int f = 0; f < clip.frameCount; ++f, ++frame) {
      const std::vector<Mat4d> globals =
          jointGlobals(source, source.pose.globals(clip.animation, clip.ticksAt(f)));
      std::vector<Mat4d> rigid(jointCount);
      for (size_t j = 0; j < jointCount; ++j) {
        const ScaleRigidSplit split = splitScaleRigid(mirrorZ(globals[j]) * out->fit);
        rigid[j] = split.rigid;
        if (first) {
          keptScale[j] = split.scale;
        } else {
          const double reference = std::max(1e-12, largestLinear(keptScale[j]));
          scaleChange[j] =
              std::max(scaleChange[j], split.scale.maxDifference(keptScale[j]) / reference);
        }
        const int parent = source.joints[j].parent;
        const Mat4d local = parent < 0 ? rigid[j] : rigid[j] * rigidInverse(rigid[parent]);
        WrittenKey key;
        key.tag = frame;
        key.values.assign(local.m, local.m + 16);
        for (float& value : key.values) value = finiteOrZero(value);
        model.bones[j].keys.push_back(std::move(key));
      }
      first = false;
    }
  }
  out->frames = frame;

  out->jointScaleDropped.assign(jointCount, false);
  for (size_t j = 0; j < jointCount; ++j) {
    out->jointScaleDropped[j] = scaleChange[j] > kScaleChangeNoticed;
    // Joints no vertex follows need no offset.
    model.bones[j].offset =
        out->jointBindSet[j] ? toMatrix4(out->jointBind[j] * keptScale[j]) : toMatrix4(Mat4d{});
    if (out->jointScaleDropped[j]) {
      out->warnings.push_back("bone \"" + source.joints[j].name + "\" changes its scale by up to " +
                              std::to_string(static_cast<int>(std::ceil(scaleChange[j] * 100))) +
                              "% while animating; the viewer keeps rotation and translation only");
    }
  }
}
