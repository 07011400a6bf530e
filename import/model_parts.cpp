#include "import/model_parts.h"

#include <unordered_map>

namespace {

template <typename T>
void copyElements(const std::vector<T>& from, size_t perVertex, uint32_t vertex,
                  std::vector<T>& to) {
  if (from.empty()) return;
  const size_t first = static_cast<size_t>(vertex) * perVertex;
  to.insert(to.end(), from.begin() + static_cast<long>(first),
            from.begin() + static_cast<long>(first + perVertex));
}

class PartBuilder {
 public:
  explicit PartBuilder(const WideMesh& mesh) : mesh_(mesh) {}

  // Vertices a triangle would add to the part being built.
  size_t newVertices(const uint32_t* corners) const {
    size_t added = 0;
    for (int c = 0; c < 3; ++c) {
      bool seenInTriangle = false;
      for (int d = 0; d < c; ++d) seenInTriangle = seenInTriangle || corners[d] == corners[c];
      if (!seenInTriangle && local_.find(corners[c]) == local_.end()) ++added;
    }
    return added;
  }
  size_t indexCount() const { return part_.model.indices.size(); }
  size_t vertexCount() const { return part_.wideVertex.size(); }
  bool empty() const { return part_.model.indices.empty(); }

  void add(const uint32_t* corners, int32_t material) {
    for (int c = 0; c < 3; ++c) {
      const auto [found, added] =
          local_.emplace(corners[c], static_cast<uint16_t>(part_.wideVertex.size()));
      if (added) copyVertex(corners[c]);
      part_.model.indices.push_back(found->second);
    }
    if (material >= 0 && static_cast<size_t>(material) < materialIndices_.size()) {
      materialIndices_[static_cast<size_t>(material)] += 3;
    }
  }

  ModelPart finish() {
    ModelDescription& model = part_.model;
    const ModelDescription& whole = mesh_.vertices;
    model.weightsPerVertex = whole.weightsPerVertex;
    model.paletteIndicesPerVertex = whole.paletteIndicesPerVertex;
    model.materials = mesh_.materials;
    int32_t offset = 0;
    for (size_t m = 0; m < mesh_.materials.size(); ++m) {
      model.materialOffsets.push_back(offset);
      offset += materialIndices_[m];
    }
    ModelPart done = std::move(part_);
    part_ = ModelPart();
    local_.clear();
    materialIndices_.assign(mesh_.materials.size(), 0);
    return done;
  }

  void reset() { materialIndices_.assign(mesh_.materials.size(), 0); }

 private:
  void copyVertex(uint32_t vertex) {
    const ModelDescription& whole = mesh_.vertices;
    ModelDescription& model = part_.model;
    copyElements(whole.positions, 1, vertex, model.positions);
    copyElements(whole.normals, 1, vertex, model.normals);
    copyElements(whole.texCoords0, 1, vertex, model.texCoords0);
    copyElements(whole.texCoords1, 1, vertex, model.texCoords1);
    copyElements(whole.blendWeights, whole.weightsPerVertex, vertex, model.blendWeights);
    copyElements(whole.paletteIndices, whole.paletteIndicesPerVertex, vertex, model.paletteIndices);
    part_.wideVertex.push_back(vertex);
  }

  const WideMesh& mesh_;
  ModelPart part_;
  std::unordered_map<uint32_t, uint16_t> local_;
  std::vector<int32_t> materialIndices_;
};

}  // namespace

std::vector<ModelPart> splitIntoParts(const WideMesh& mesh, size_t maxIndices, size_t maxVertices) {
  std::vector<ModelPart> parts;
  PartBuilder builder(mesh);
  builder.reset();
  const size_t triangles = mesh.indices.size() / 3;
  for (size_t t = 0; t < triangles; ++t) {
    const uint32_t* corners = &mesh.indices[3 * t];
    const bool full = builder.indexCount() + 3 > maxIndices ||
                      builder.vertexCount() + builder.newVertices(corners) > maxVertices;
    if (full && !builder.empty()) parts.push_back(builder.finish());
    const int32_t material = t < mesh.triangleMaterials.size() ? mesh.triangleMaterials[t] : 0;
    builder.add(corners, mesh.materials.empty() ? -1 : material);
  }
  if (!builder.empty() || parts.empty()) parts.push_back(builder.finish());
  return parts;
}

std::string partFileName(const std::string& stem, size_t index) {
  return stem + "_part" + std::to_string(index + 2) + ".x_out";
}
