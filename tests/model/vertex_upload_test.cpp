#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "model/vertex_record_plan.h"
#include "platform/d3d9_util.h"
#include "platform/fvf_layout.h"
#include "platform/record/record_buffers.h"
#include "tests/model/model_test_support.h"

namespace {

template <typename T>
void fill(BoundedArray<T>& list, const std::vector<T>& values) {
  ASSERT_TRUE(list.resize(static_cast<int64_t>(values.size())));
  std::copy(values.begin(), values.end(), list.data);
}

// Two vertices; W weights and P palette indices per vertex count up from 0.1 and 10.
MeshGeometry twoVertices(uint32_t w = 0, uint32_t p = 0) {
  MeshGeometry mesh;
  fill(mesh.positions, {{1, 2, 3}, {4, 5, 6}});
  fill(mesh.indices, {0, 1, 1});
  mesh.weightsPerVertex = w;
  mesh.paletteIndicesPerVertex = p;
  std::vector<float> weights(2 * w);
  for (uint32_t i = 0; i < 2 * w; ++i) weights[i] = 0.1f * static_cast<float>(i + 1);
  fill(mesh.blendWeights, weights);
  std::vector<uint8_t> indices(2 * p);
  for (uint32_t i = 0; i < 2 * p; ++i) indices[i] = static_cast<uint8_t>(10 + i);
  fill(mesh.paletteIndices, indices);
  return mesh;
}

class VertexUploadTest : public ::testing::Test {
 protected:
  std::vector<std::string> upload(MeshGeometry& mesh, bool succeeds = true) {
    log_.restart();
    ModelLoader loader;
    EXPECT_EQ(loader.uploadbuffers(model_, mesh) && loader.uploadvertices(model_, mesh), succeeds);
    return log_.lines();
  }
  float floatAt(size_t offset) const {
    const auto* buffer = dynamic_cast<RecordVertexBuffer*>(model_.vertexBuffer.GetBuffer());
    float value = -1;
    if (buffer != nullptr && offset + 4 <= buffer->Contents().size()) {
      std::memcpy(&value, buffer->Contents().data() + offset, 4);
    }
    return value;
  }
  uint32_t wordAt(size_t offset) const {
    const float value = floatAt(offset);
    uint32_t word;
    std::memcpy(&word, &value, 4);
    return word;
  }

  RecordedDevice device_;
  LoaderLog log_;
  RenderModel model_;
};

TEST_F(VertexUploadTest, LayoutsWithTheirStrideFormatAndDescription) {
  struct Case {
    std::function<void(MeshGeometry&)> add;
    uint32_t w, p, stride, fvf;
    std::string description;
    std::vector<std::string> lines;  // between "uploading vertices" and "vertex len"
  };
  const auto normals = [](MeshGeometry& m) { fill(m.normals, {{0, 0, 1}, {0, 1, 0}}); };
  const auto set0 = [](MeshGeometry& m) { fill(m.texCoords0, {{0, 0}, {1, 1}}); };
  const auto tangents = [](MeshGeometry& m) {
    fill(m.tangents, {{1, 0, 0}, {0, 0, 1}});
    m.hasTangents = 1;
  };
  const std::vector<Case> cases = {
      {[&](MeshGeometry& m) { normals(m), set0(m), tangents(m); },
       3,
       3,
       60,
       0x4121C,
       "D3DFVF_XYZB4 D3DFVF_LASTBETA_UBYTE4 D3DFVF_NORMAL D3DFVF_TEX2 D3DFVF_TEXCOORDSIZE3(1) "
       "D3DFVF_TEXCOORDSIZE2(0) ",
       {"id.blendpervertex  3"}},
      {[&](MeshGeometry& m) {
         normals(m), set0(m), fill(m.texCoords1, {{0, 0}, {1, 1}}), tangents(m);
       },
       0,
       0,
       52,
       0x100312,
       "D3DFVF_XYZ D3DFVF_NORMAL D3DFVF_TEX3 D3DFVF_TEXCOORDSIZE3(2) D3DFVF_TEXCOORDSIZE2(1) "
       "D3DFVF_TEXCOORDSIZE2(0) ",
       {}},
      // A shadow-volume mesh leaves its normals out.
      {[&](MeshGeometry& m) { normals(m), m.isShadowVolume = 1; },
       0,
       0,
       36,
       0x50202,
       "D3DFVF_XYZ D3DFVF_TEX2 D3DFVF_TEXCOORDSIZE3(1) D3DFVF_TEXCOORDSIZE3(0) ",
       {}},
      {[](MeshGeometry&) {}, 0, 0, 12, 0x002, "D3DFVF_XYZ ", {}},
      {[&](MeshGeometry& m) { normals(m), m.hasTangents = 1; },
       0,
       0,
       24,
       0x012,
       "D3DFVF_XYZ D3DFVF_NORMAL ",
       {"<info> text command specifies to compute tangent",
        "but no texcoords in file..so no tangents!"}},
      // The FVF's last beta is the index slot: weights always get it, lone indices never.
      {[](MeshGeometry&) {},
       1,
       0,
       20,
       0x1008,
       "D3DFVF_XYZB2 D3DFVF_LASTBETA_UBYTE4 ",
       {"id.blendpervertex  1"}},
      {set0, 0, 2, 20, 0x102, "D3DFVF_XYZ D3DFVF_TEX1 D3DFVF_TEXCOORDSIZE2(0) ", {}},
  };
  for (const Case& c : cases) {
    MeshGeometry mesh = twoVertices(c.w, c.p);
    c.add(mesh);
    std::vector<std::string> expected = {"uploading vertices"};
    expected.insert(expected.end(), c.lines.begin(), c.lines.end());
    expected.insert(expected.end(),
                    {"vertex len  " + std::to_string(c.stride),
                     "buffer len  " + std::to_string(2 * c.stride), "Final FVF " + c.description});
    EXPECT_EQ(upload(mesh), expected) << c.description;
    EXPECT_EQ(model_.vertexBuffer.GetStride(), c.stride) << c.description;
    EXPECT_EQ(model_.vertexBuffer.GetFVF(), c.fvf) << c.description;
    // Attributes are bound by the FVF, so it must describe the record exactly.
    EXPECT_EQ(VertexSizeOfFVF(c.fvf), c.stride) << c.description;
    // A tangent request that no texture set can carry is dropped.
    if (c.fvf == 0x012) {
      EXPECT_EQ(mesh.hasTangents, 0);
    }
  }
}

TEST_F(VertexUploadTest, EveryComponentLandsAtItsOffset) {
  MeshGeometry mesh = twoVertices(3, 2);
  fill(mesh.normals, {{0, 0, 1}, {0, 1, 0}});
  fill(mesh.texCoords0, {{0.25f, 0.5f}, {0.75f, 1.0f}});
  fill(mesh.tangents, {{1, 0, 0}, {0, 0, -1}});
  mesh.hasTangents = 1;
  upload(mesh);
  for (size_t v = 0; v < 2; ++v) {
    const size_t base = v * 60;
    EXPECT_EQ(floatAt(base + 8), mesh.positions[v].z);
    EXPECT_EQ(floatAt(base + 20), mesh.blendWeights[3 * v + 2]);
    EXPECT_EQ(wordAt(base + 24),
              uint32_t{mesh.paletteIndices[2 * v]} | uint32_t{mesh.paletteIndices[2 * v + 1]} << 8);
    EXPECT_EQ(floatAt(base + 32), mesh.normals[v].y);
    EXPECT_EQ(floatAt(base + 44), mesh.texCoords0[v].v);
    EXPECT_EQ(floatAt(base + 56), mesh.tangents[v].z);
  }
  const auto* indices = dynamic_cast<RecordIndexBuffer*>(model_.indexBuffer.GetBuffer());
  ASSERT_NE(indices, nullptr);
  EXPECT_EQ(indices->Contents(), (std::vector<uint8_t>{0, 0, 1, 0, 1, 0}));

  MeshGeometry shadow = twoVertices();
  fill(shadow.shadowNeighbourA, {{7, 8, 9}, {10, 11, 12}});
  fill(shadow.shadowNeighbourB, {{13, 14, 15}});  // shorter than the vertices
  shadow.isShadowVolume = 1;
  upload(shadow);
  EXPECT_EQ(floatAt(12), 7.0f);
  EXPECT_EQ(floatAt(24), 13.0f);
  EXPECT_EQ(floatAt(36 + 12), 10.0f);
  EXPECT_EQ(floatAt(36 + 24), 0.0f);

  // Six palette indices per vertex: only four fit the slot.
  MeshGeometry wide = twoVertices(1, 6);
  upload(wide);
  EXPECT_EQ(wordAt(16), 0x0D0C0B0Au);
  EXPECT_EQ(wordAt(20 + 16), 0x13121110u);
}

TEST_F(VertexUploadTest, WeightsPerVertexOutsideOneToFourFail) {
  for (uint32_t w : {0u, 5u}) {
    MeshGeometry mesh = twoVertices(w, 1);
    if (w == 0) fill(mesh.blendWeights, {0.5f, 0.5f});
    EXPECT_EQ(upload(mesh, false),
              (std::vector<std::string>{
                  "uploading vertices",
                  "<error> blendpervertex nonsense .ModelLoader::uploadvertices(). val: " +
                      std::to_string(w)}));
  }
  EXPECT_EQ(device_.recorder().Log().Count("CreateVertexBuffer"), 0u);
}

}  // namespace
