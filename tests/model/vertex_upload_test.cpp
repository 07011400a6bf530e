#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "model/vertex_layout.h"
#include "platform/d3d9_util.h"
#include "platform/record/record_buffers.h"
#include "tests/model/model_test_support.h"

namespace {

template <typename T>
void fill(BoundedArray<T>& list, const std::vector<T>& values) {
  ASSERT_TRUE(list.resize(static_cast<int64_t>(values.size())));
  for (size_t i = 0; i < values.size(); ++i) list[static_cast<int64_t>(i)] = values[i];
}

// Two vertices, each component filled with numbers that tell where they came from.
MeshGeometry twoVertices() {
  MeshGeometry mesh;
  fill(mesh.positions, {{1, 2, 3}, {4, 5, 6}});
  fill(mesh.indices, {0, 1, 1});
  return mesh;
}

void addSkinning(MeshGeometry& mesh, uint32_t weights, uint32_t paletteIndices) {
  mesh.weightsPerVertex = weights;
  std::vector<float> w;
  for (uint32_t i = 0; i < 2 * weights; ++i) w.push_back(0.1f * static_cast<float>(i + 1));
  fill(mesh.blendWeights, w);
  mesh.paletteIndicesPerVertex = paletteIndices;
  std::vector<uint8_t> p;
  for (uint32_t i = 0; i < 2 * paletteIndices; ++i) p.push_back(static_cast<uint8_t>(10 + i));
  fill(mesh.paletteIndices, p);
}

class VertexUploadTest : public ::testing::Test {
 protected:
  // Uploads mesh into model_; the log lines of the upload.
  std::vector<std::string> upload(MeshGeometry& mesh, bool expectSuccess = true) {
    log_.restart();
    ModelLoader loader;
    EXPECT_EQ(loader.uploadbuffers(model_, mesh) && loader.uploadvertices(model_, mesh),
              expectSuccess);
    return log_.lines();
  }
  std::vector<uint8_t> vertexBytes() const {
    auto* buffer = dynamic_cast<RecordVertexBuffer*>(model_.vertexBuffer.GetBuffer());
    return buffer != nullptr ? buffer->Contents() : std::vector<uint8_t>{};
  }
  template <typename T>
  static T at(const std::vector<uint8_t>& bytes, size_t offset) {
    T value{};
    EXPECT_LE(offset + sizeof(T), bytes.size());
    if (offset + sizeof(T) <= bytes.size()) std::memcpy(&value, bytes.data() + offset, sizeof(T));
    return value;
  }

  RecordedDevice device_;
  LoaderLog log_;
  RenderModel model_;
};

TEST_F(VertexUploadTest, LayoutsWithTheirStrideFormatAndDescription) {
  struct Case {
    std::string what;
    std::function<void(MeshGeometry&)> build;
    uint32_t stride;
    uint32_t fvf;
    std::string description;
    std::vector<std::string> extraLines;  // between "uploading vertices" and "vertex len"
  };
  const std::vector<Case> cases = {
      {"skinned, W = 3, one texture set, tangents",
       [](MeshGeometry& m) {
         addSkinning(m, 3, 3);
         fill(m.normals, {{0, 0, 1}, {0, 1, 0}});
         fill(m.texCoords0, {{0, 0}, {1, 1}});
         fill(m.tangents, {{1, 0, 0}, {0, 0, 1}});
         m.hasTangents = 1;
       },
       60, 0x4121C,
       "D3DFVF_XYZB4 D3DFVF_LASTBETA_UBYTE4 D3DFVF_NORMAL D3DFVF_TEX2 D3DFVF_TEXCOORDSIZE3(1) "
       "D3DFVF_TEXCOORDSIZE2(0) ",
       {"id.blendpervertex  3"}},
      {"static, two texture sets, tangents",
       [](MeshGeometry& m) {
         fill(m.normals, {{0, 0, 1}, {0, 1, 0}});
         fill(m.texCoords0, {{0, 0}, {1, 1}});
         fill(m.texCoords1, {{0, 0}, {1, 1}});
         fill(m.tangents, {{1, 0, 0}, {0, 0, 1}});
         m.hasTangents = 1;
       },
       52, 0x100312,
       "D3DFVF_XYZ D3DFVF_NORMAL D3DFVF_TEX3 D3DFVF_TEXCOORDSIZE3(2) D3DFVF_TEXCOORDSIZE2(1) "
       "D3DFVF_TEXCOORDSIZE2(0) ",
       {}},
      {"shadow volume: normals left out",
       [](MeshGeometry& m) {
         fill(m.normals, {{0, 0, 1}, {0, 1, 0}});
         fill(m.shadowNeighbourA, {{1, 1, 1}, {2, 2, 2}});
         fill(m.shadowNeighbourB, {{3, 3, 3}, {4, 4, 4}});
         m.isShadowVolume = 1;
       },
       36, 0x50202, "D3DFVF_XYZ D3DFVF_TEX2 D3DFVF_TEXCOORDSIZE3(1) D3DFVF_TEXCOORDSIZE3(0) ", {}},
      {"positions and indices only", [](MeshGeometry&) {}, 12, 0x002, "D3DFVF_XYZ ", {}},
      {"tangents without texture coordinates",
       [](MeshGeometry& m) {
         fill(m.normals, {{0, 0, 1}, {0, 1, 0}});
         m.hasTangents = 1;
       },
       24, 0x012, "D3DFVF_XYZ D3DFVF_NORMAL ",
       {"<info> text command specifies to compute tangent",
        "but no texcoords in file..so no tangents!"}},
      {"weights without palette indices still get the index slot",
       [](MeshGeometry& m) { addSkinning(m, 1, 0); }, 20, 0x1008,
       "D3DFVF_XYZB2 D3DFVF_LASTBETA_UBYTE4 ", {"id.blendpervertex  1"}},
      {"palette indices without weights get no slot",
       [](MeshGeometry& m) {
         addSkinning(m, 0, 2);
         m.blendWeights.free();
         fill(m.texCoords0, {{0, 0}, {1, 1}});
       },
       20, 0x102, "D3DFVF_XYZ D3DFVF_TEX1 D3DFVF_TEXCOORDSIZE2(0) ", {}},
  };
  for (const Case& c : cases) {
    MeshGeometry mesh = twoVertices();
    c.build(mesh);
    std::vector<std::string> expected = {"uploading vertices"};
    expected.insert(expected.end(), c.extraLines.begin(), c.extraLines.end());
    expected.push_back("vertex len  " + std::to_string(c.stride));
    expected.push_back("buffer len  " + std::to_string(2 * c.stride));
    expected.push_back("Final FVF " + c.description);
    EXPECT_EQ(upload(mesh), expected) << c.what;
    EXPECT_EQ(model_.vertexBuffer.GetStride(), c.stride) << c.what;
    EXPECT_EQ(model_.vertexBuffer.GetFVF(), c.fvf) << c.what;
    EXPECT_EQ(model_.vertexBuffer.GetSize(), static_cast<int32_t>(2 * c.stride)) << c.what;
    // The draw binds attributes by the FVF, so both must describe the same record.
    EXPECT_EQ(VertexSizeOfFVF(c.fvf), c.stride) << c.what;
    if (!c.extraLines.empty() && c.extraLines[0].rfind("<info>", 0) == 0) {
      EXPECT_EQ(mesh.hasTangents, 0) << c.what;
    }
  }
}

TEST_F(VertexUploadTest, EveryComponentLandsAtItsOffset) {
  MeshGeometry mesh = twoVertices();
  addSkinning(mesh, 3, 2);
  fill(mesh.normals, {{0, 0, 1}, {0, 1, 0}});
  fill(mesh.texCoords0, {{0.25f, 0.5f}, {0.75f, 1.0f}});
  fill(mesh.tangents, {{1, 0, 0}, {0, 0, -1}});
  mesh.hasTangents = 1;
  upload(mesh);
  const std::vector<uint8_t> bytes = vertexBytes();
  ASSERT_EQ(bytes.size(), 120u);
  for (size_t v = 0; v < 2; ++v) {
    const size_t base = v * 60;
    EXPECT_EQ(at<float>(bytes, base + 0), mesh.positions[v].x);
    EXPECT_EQ(at<float>(bytes, base + 8), mesh.positions[v].z);
    for (size_t w = 0; w < 3; ++w) {
      EXPECT_EQ(at<float>(bytes, base + 12 + 4 * w), mesh.blendWeights[3 * v + w]);
    }
    // Two palette indices, the rest of the packed slot zero.
    EXPECT_EQ(at<uint8_t>(bytes, base + 24), mesh.paletteIndices[2 * v]);
    EXPECT_EQ(at<uint8_t>(bytes, base + 25), mesh.paletteIndices[2 * v + 1]);
    EXPECT_EQ(at<uint16_t>(bytes, base + 26), 0u);
    EXPECT_EQ(at<float>(bytes, base + 28 + 4), mesh.normals[v].y);
    EXPECT_EQ(at<float>(bytes, base + 40), mesh.texCoords0[v].u);
    EXPECT_EQ(at<float>(bytes, base + 44), mesh.texCoords0[v].v);
    EXPECT_EQ(at<float>(bytes, base + 48), mesh.tangents[v].x);
    EXPECT_EQ(at<float>(bytes, base + 56), mesh.tangents[v].z);
  }
  auto* indices = dynamic_cast<RecordIndexBuffer*>(model_.indexBuffer.GetBuffer());
  ASSERT_NE(indices, nullptr);
  EXPECT_EQ(indices->IndexCount(), 3u);
  EXPECT_EQ(at<uint16_t>(indices->Contents(), 2), 1u);
  EXPECT_FALSE(indices->IsLocked());

  // Shadow vectors follow the position directly; lists shorter than the
  // vertex count leave zeros rather than being read past their end.
  MeshGeometry shadow = twoVertices();
  fill(shadow.shadowNeighbourA, {{7, 8, 9}, {10, 11, 12}});
  fill(shadow.shadowNeighbourB, {{13, 14, 15}});
  shadow.isShadowVolume = 1;
  upload(shadow);
  const std::vector<uint8_t> shadowBytes = vertexBytes();
  ASSERT_EQ(shadowBytes.size(), 72u);
  EXPECT_EQ(at<float>(shadowBytes, 12), 7.0f);
  EXPECT_EQ(at<float>(shadowBytes, 24), 13.0f);
  EXPECT_EQ(at<float>(shadowBytes, 36 + 12), 10.0f);
  EXPECT_EQ(at<float>(shadowBytes, 36 + 24), 0.0f);

  // More than four palette indices: only four fit the slot.
  MeshGeometry wide = twoVertices();
  addSkinning(wide, 1, 6);
  upload(wide);
  const std::vector<uint8_t> wideBytes = vertexBytes();
  ASSERT_EQ(wideBytes.size(), 40u);
  EXPECT_EQ(at<uint32_t>(wideBytes, 16), 0x0D0C0B0Au);
  EXPECT_EQ(at<uint32_t>(wideBytes, 20 + 16), 0x13121110u);
}

TEST_F(VertexUploadTest, FailuresNameTheirStep) {
  for (uint32_t weights : {0u, 5u}) {
    MeshGeometry mesh = twoVertices();
    addSkinning(mesh, weights, 1);
    if (weights == 0) fill(mesh.blendWeights, {0.5f, 0.5f});
    const size_t creates = device_.recorder().Log().Count("CreateVertexBuffer");
    EXPECT_EQ(upload(mesh, false),
              (std::vector<std::string>{"uploading vertices",
                                        "<error> blendpervertex nonsense .ModelLoader::uploadvertices(). val: " +
                                            std::to_string(weights)}));
    EXPECT_EQ(device_.recorder().Log().Count("CreateVertexBuffer"), creates);
  }

  MeshGeometry noPositions;
  fill(noPositions.indices, {0, 0, 0});
  EXPECT_EQ(upload(noPositions, false),
            (std::vector<std::string>{"uploading vertices", "<error> Vectors not loaded... phew!"}));

  MeshGeometry noIndices = twoVertices();
  noIndices.indices.free();
  EXPECT_EQ(upload(noIndices, false),
            std::vector<std::string>{"<error> ModelLoader::uploadbuffers() index buffer not created inum:  0"});

  MeshGeometry mesh = twoVertices();
  device_.recorder().Fail("IndexBuffer::Lock").Times(1);
  EXPECT_EQ(upload(mesh, false),
            std::vector<std::string>{"<error> ModelLoader::uploadbuffers() index buffer not locked inum:  3"});
  device_.recorder().Fail("CreateVertexBuffer").Times(1);
  EXPECT_EQ(upload(mesh, false).back(),
            "<error> ModelLoader::uploadbuffers() vertex buffer not created size:  24");
  device_.recorder().Fail("VertexBuffer::Lock").Times(1);
  EXPECT_EQ(upload(mesh, false).back(),
            "<error> ModelLoader::uploadbuffers() vertex buffer not locked inum:  24");
}

TEST(FVFDescriptionTest, LongestTextFitsAndShortBuffersAreCut) {
  // Five betas, normal, three sets of four components: the longest text there is.
  const uint32_t longest = 0x0E | 0x1000 | 0x10 | 0x300 | (2u << 16) | (2u << 18) | (2u << 20);
  char text[kFVFDescriptionLength + 1];
  EXPECT_EQ(describeFVF(longest, text, sizeof text), kFVFDescriptionLength);
  EXPECT_STREQ(text,
               "D3DFVF_XYZB5 D3DFVF_LASTBETA_UBYTE4 D3DFVF_NORMAL D3DFVF_TEX3 D3DFVF_TEXCOORDSIZE4(2) "
               "D3DFVF_TEXCOORDSIZE4(1) D3DFVF_TEXCOORDSIZE4(0) ");
  // Only the two low bits of the set count are read: a count of 4 shows no sets.
  EXPECT_EQ(describeFVF(0x006 | 0x400, text, sizeof text), 13u);
  EXPECT_STREQ(text, "D3DFVF_XYZB1 ");
  char small[8];
  EXPECT_EQ(describeFVF(0x002, small, sizeof small), 11u);
  EXPECT_STREQ(small, "D3DFVF_");
}

}  // namespace
