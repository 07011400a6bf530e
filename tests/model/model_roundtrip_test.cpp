#include <gtest/gtest.h>

#include <cstring>

#include "tests/model/model_test_support.h"
#include "tests/render/drawable_model.h"

namespace {

void expectVectorsEqual(const BoundedArray<Vector3>& loaded, const std::vector<Vector3>& written) {
  ASSERT_EQ(loaded.count, static_cast<int32_t>(written.size()));
  for (size_t i = 0; i < written.size(); ++i) {
    EXPECT_EQ(loaded[i].x, written[i].x) << i;
    EXPECT_EQ(loaded[i].y, written[i].y) << i;
    EXPECT_EQ(loaded[i].z, written[i].z) << i;
  }
}

void expectTexCoordsEqual(const BoundedArray<TexCoord2>& loaded, const std::vector<TexCoord2>& written) {
  ASSERT_EQ(loaded.count, static_cast<int32_t>(written.size()));
  for (size_t i = 0; i < written.size(); ++i) {
    EXPECT_EQ(loaded[i].u, written[i].u) << i;
    EXPECT_EQ(loaded[i].v, written[i].v) << i;
  }
}

template <typename T>
std::vector<T> asVector(const BoundedArray<T>& list) {
  return std::vector<T>(list.begin(), list.end());
}

TEST(ModelWriterTest, WritesTheByteLayoutOfTheFormat) {
  ModelDescription model;
  model.positions = {{1.0f, -2.0f, 0.5f}};
  model.weightsPerVertex = 1;
  model.blendWeights = {1.0f};
  model.indices = {0, 0, 0};
  WrittenTrack track;
  track.tag = 7;
  track.keys.push_back({3, {2.0f}});
  model.bones.push_back(track);

  std::vector<uint8_t> expected = {'M', 'e', 'S', 'h'};
  const auto words = [&](std::initializer_list<uint32_t> values) {
    for (uint32_t v : values) {
      for (int i = 0; i < 4; ++i) expected.push_back(static_cast<uint8_t>(v >> (8 * i)));
    }
  };
  words({0, 0, 12, 0x3F800000, 0xC0000000, 0x3F000000});  // positions: 1, -2, 0.5
  words({1, 4, 4, 1, 0x3F800000});                         // W = 1, weight 1
  words({6, 0, 6});
  expected.insert(expected.end(), {0, 0, 0, 0, 0, 0});
  words({9, 4, 8 + 12 + 64, 1});                           // one bone
  words({7, 1, 3, 1, 0x40000000});                         // tag, K, key tag, M, value 2
  for (int i = 0; i < 16; ++i) words({0});                 // offset matrix
  EXPECT_EQ(writeModelBytes(model), expected);
  EXPECT_EQ(scriptPathFor("../data/wall.x_out"), ".txt");
  EXPECT_EQ(scriptPathFor("models/wall.x_out"), "models/wall.txt");
}

TEST(ModelRoundTripTest, StaticMeshFromFileKeepsEveryFieldAndLogsEachStep) {
  RecordedDevice device;
  LoaderLog log;
  DataFolders folders;
  folders.writeTexture("wall.bmp");
  const std::string effect = folders.writeEffect("plain.fx");
  TempDir dir;
  const ModelDescription written = sampleStaticModel();
  const std::string path = dir.file("quad.x_out");
  ASSERT_TRUE(writeModelFile(path, written));
  ScriptDescription script;
  script.texture = "wall.bmp";
  script.effect = "plain.fx";
  ASSERT_TRUE(writeScriptBeside(path, script));

  RenderModel model;
  ModelLoader loader;
  LoadTargets targets{1, &model, nullptr};
  ASSERT_EQ(loader.load(path.c_str(), targets), 1u);

  expectVectorsEqual(loader.mesh.positions, written.positions);
  expectVectorsEqual(loader.mesh.normals, written.normals);
  expectTexCoordsEqual(loader.mesh.texCoords0, written.texCoords0);
  EXPECT_TRUE(loader.mesh.texCoords1.empty());
  EXPECT_TRUE(loader.mesh.blendWeights.empty());
  EXPECT_EQ(asVector(loader.mesh.indices), written.indices);
  const uint8_t flags[kChunkTypeCount] = {1, 0, 0, 1, 1, 0, 1, 0, 0, 0, 0};
  EXPECT_EQ(std::memcmp(loader.mesh.chunkFlags, flags, sizeof flags), 0);
  expectVectorsEqual(model.ramPositions, written.positions);
  EXPECT_EQ(asVector(model.ramIndices), written.indices);
  EXPECT_EQ(model.bones.count, 0);
  EXPECT_EQ(model.ready, 1);
  EXPECT_EQ(model.kind, RenderModel::kNormalModel);

  const std::vector<std::string> expected = {
      "Vectors loaded.",
      "Normals loaded.",
      "texture coord 0 loaded.",
      "Indices loaded.",
      "loading script from: " + dir.file("quad.txt"),
      "Uploading NormalMesh vertices&indices",
      "uploading vertices",
      "vertex len  32",
      "buffer len  128",
      "Final FVF D3DFVF_XYZ D3DFVF_NORMAL D3DFVF_TEX1 D3DFVF_TEXCOORDSIZE2(0) ",
      "PUSHTEXTCOMMANDS ",
      "- no bumptex",
      "EFFECT: " + effect,
      "vectors & indices uploaded in normal ram too.",
  };
  EXPECT_EQ(log.lines(), expected);
}

TEST(ModelRoundTripTest, SkinnedMeshWithTwoTextureSetsKeepsEveryField) {
  RecordedDevice device;
  LoaderLog log;
  ScriptFolder folder;
  const ModelDescription written = sampleSkinnedModel();
  RenderModel model;
  ModelLoader loader;
  ASSERT_EQ(loadBytes(loader, writeModelBytes(written), folder.modelPath(), model), 1u);

  const MeshGeometry& mesh = loader.mesh;
  expectVectorsEqual(mesh.positions, written.positions);
  expectVectorsEqual(mesh.normals, written.normals);
  expectTexCoordsEqual(mesh.texCoords0, written.texCoords0);
  expectTexCoordsEqual(mesh.texCoords1, written.texCoords1);
  EXPECT_EQ(mesh.weightsPerVertex, 2u);
  EXPECT_EQ(asVector(mesh.blendWeights), written.blendWeights);
  EXPECT_EQ(mesh.paletteIndicesPerVertex, 2u);
  EXPECT_EQ(asVector(mesh.paletteIndices), written.paletteIndices);
  EXPECT_EQ(asVector(mesh.indices), written.indices);

  EXPECT_EQ(asVector(model.materialOffsets), written.materialOffsets);
  ASSERT_EQ(model.materials.count, 2);
  for (int i = 0; i < 17; ++i) {
    EXPECT_EQ(model.materials[0].values[i], written.materials[0].values[i]);
    EXPECT_EQ(model.materials[1].values[i], i == 16 ? 1.0f : 0.0f);
  }
  ASSERT_EQ(model.bones.count, 2);
  for (int b = 0; b < 2; ++b) {
    const cAnimationKeys& track = model.bones[b];
    const WrittenTrack& source = written.bones[b];
    EXPECT_EQ(track.tag, source.tag);
    ASSERT_EQ(track.keys.count, 3);
    for (int k = 0; k < 3; ++k) {
      EXPECT_EQ(track.keys[k].tag, source.keys[k].tag);
      EXPECT_EQ(asVector(track.keys[k].values), source.keys[k].values);
    }
    EXPECT_EQ(std::memcmp(track.offset.m, source.offset.m, sizeof track.offset.m), 0);
  }
  EXPECT_EQ(asVector(model.boneParents), written.boneParents);
  EXPECT_EQ(asVector(model.boneOrder), written.boneOrder);
  EXPECT_EQ(loader.chunkTable().size(), 11u);
  EXPECT_TRUE(log.errors().empty());
  EXPECT_TRUE(log.has("Weights loaded. Per vertex loaded:  2"));
  EXPECT_TRUE(log.has("Matrix palette for vertices loaded Per vertex num:  2"));
  EXPECT_TRUE(log.has("Bone Num:  2"));
  EXPECT_TRUE(log.has(" framenum: 3"));
  EXPECT_TRUE(log.has("armature loaded."));
}

TEST(ModelRoundTripTest, RepeatedChunksReplaceAndATrailingFragmentIsIgnored) {
  RecordedDevice device;
  LoaderLog log;
  ScriptFolder folder;
  ModelDescription written = sampleStaticModel();
  written.normals.clear();
  written.texCoords0.clear();
  // A second, different vertex list after the indices replaces the first one.
  std::vector<uint8_t> later;
  for (float value : {5.f, 6.f, 7.f, 8.f, 9.f, 10.f, 11.f, 12.f, 13.f, 14.f, 15.f, 16.f}) {
    appendF32(later, value);
  }
  written.extraChunks.push_back(makeChunk(CHUNK_VECTORS, {}, later));
  std::vector<uint8_t> bytes = writeModelBytes(written);
  bytes.insert(bytes.end(), 11, 0xEE);

  RenderModel model;
  ModelLoader loader;
  ASSERT_EQ(loadBytes(loader, bytes, folder.modelPath(), model), 1u);
  ASSERT_EQ(loader.mesh.positions.count, 4);
  EXPECT_EQ(loader.mesh.positions[0].x, 5.f);
  EXPECT_EQ(loader.mesh.positions[3].z, 16.f);
  EXPECT_TRUE(log.errors().empty());
}

}  // namespace
