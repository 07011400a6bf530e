#include "model/model_consistency.h"

#include <gtest/gtest.h>

#include <functional>

#include "tests/model/model_test_support.h"

namespace {

const std::string kPrefix = "<error> ModelLoader::checkconsistency() ";

struct Violation {
  const char* what;
  std::function<void(ModelDescription&)> breakIt;
  std::string line;
};

TEST(ModelConsistencyTest, EachBrokenRuleFailsTheLoadWithOneLineNamingIt) {
  const std::vector<Violation> cases = {
      {"short normals", [](ModelDescription& m) { m.normals.pop_back(); }, kPrefix + "3 normals for 4 vertices"},
      {"long texcoords 0", [](ModelDescription& m) { m.texCoords0.push_back({}); },
       kPrefix + "5 texture coords 0 for 4 vertices"},
      {"short texcoords 1", [](ModelDescription& m) { m.texCoords1.pop_back(); },
       kPrefix + "3 texture coords 1 for 4 vertices"},
      {"five weights",
       [](ModelDescription& m) {
         m.weightsPerVertex = 5;
         m.blendWeights.assign(20, 0.2f);
       },
       kPrefix + "weights per vertex 5 not 1-4"},
      {"weights count", [](ModelDescription& m) { m.blendWeights.pop_back(); },
       kPrefix + "7 blend weights for 4 vertices with 2 per vertex"},
      {"five palette indices",
       [](ModelDescription& m) {
         m.paletteIndicesPerVertex = 5;
         m.paletteIndices.assign(20, 0);
       },
       kPrefix + "palette indices per vertex 5 not 1-4"},
      {"palette count", [](ModelDescription& m) { m.paletteIndices.push_back(0); },
       kPrefix + "9 palette indices for 4 vertices with 2 per vertex"},
      {"palette index", [](ModelDescription& m) { m.paletteIndices[7] = 2; },
       kPrefix + "1 palette indices not below bone count 2, first: 2 at vertex 3"},
      {"index count", [](ModelDescription& m) { m.indices.pop_back(); },
       kPrefix + "index count 5 not a multiple of 3"},
      {"index range", [](ModelDescription& m) { m.indices[5] = 4; },
       kPrefix + "1 indices not below vertex count 4, first: 4 at position 5"},
      {"too many indices", [](ModelDescription& m) { m.indices.assign(65'538, 0); },
       kPrefix + "index count 65538 above 65535"},
      {"unequal tracks", [](ModelDescription& m) { m.bones[1].keys.pop_back(); },
       kPrefix + "1 bone tracks differ from bone 0's 3 keys, first: bone 1 with 2 keys"},
      {"short key", [](ModelDescription& m) { m.bones[1].keys[2].values.pop_back(); },
       kPrefix + "1 keys have fewer than 16 values, first: bone 1 key 2 with 15"},
      {"armature size",
       [](ModelDescription& m) {
         m.boneParents.push_back(0);
         m.boneOrder.push_back(2);
       },
       kPrefix + "armature bone count 3 differs from animation bone count 2"},
      {"parent range", [](ModelDescription& m) { m.boneParents[1] = 7; },
       kPrefix + "1 bone parents neither below bone count 2 nor 255, first: 7 of bone 1"},
      {"order range", [](ModelDescription& m) { m.boneOrder[1] = 2; },
       kPrefix + "1 order entries not below bone count 2, first: 2 at step 1"},
      {"child first", [](ModelDescription& m) { m.boneOrder = {1, 0}; },
       kPrefix + "1 bones handled before their parent, first: bone 1 at step 0, parent 0"},
      {"own parent", [](ModelDescription& m) { m.boneParents[0] = 0; },
       kPrefix + "1 bones handled before their parent, first: bone 0 at step 0, parent 0"},
      {"no positions", [](ModelDescription& m) { m.positions.clear(); }, "<error> Vectors not loaded... phew!"},
  };
  LoaderLog log;
  ScriptFolder folder;
  for (const Violation& violation : cases) {
    ModelDescription written = sampleSkinnedModel();
    violation.breakIt(written);
    log.restart();
    RenderModel model;
    ModelLoader loader;
    EXPECT_EQ(loadBytes(loader, writeModelBytes(written), folder.modelPath(), model), 0u) << violation.what;
    EXPECT_EQ(log.errors(), std::vector<std::string>{violation.line}) << violation.what;
    EXPECT_TRUE(model.ramPositions.empty()) << violation.what;  // the load stopped before the RAM copies
  }
}

TEST(ModelConsistencyTest, TheCheckerReportsEveryViolationUnlessToldToStop) {
  MeshGeometry mesh;
  mesh.positions.resize(3);
  mesh.normals.resize(2);
  mesh.indices.resize(4);
  for (int i = 0; i < 4; ++i) mesh.indices[i] = static_cast<uint16_t>(i + 1);
  RenderModel model;
  model.bones.resize(1);
  model.boneParents.resize(1);
  model.boneOrder.resize(1);
  model.boneParents[0] = 255;
  model.boneOrder[0] = 0;

  std::vector<std::string> all;
  const auto collect = [&](const char* line) {
    all.push_back(line);
    return true;
  };
  EXPECT_EQ(checkModelConsistency(mesh, &model, collect), 3);
  const std::vector<std::string> expected = {
      kPrefix + "2 normals for 3 vertices",
      kPrefix + "index count 4 not a multiple of 3",
      kPrefix + "2 indices not below vertex count 3, first: 3 at position 2",
  };
  EXPECT_EQ(all, expected);

  all.clear();
  EXPECT_EQ(checkModelConsistency(mesh, &model, [&](const char* line) {
              all.push_back(line);
              return false;
            }),
            1);
  EXPECT_EQ(all, std::vector<std::string>{expected[0]});

  // A consistent skeleton and an empty mesh have nothing to report.
  MeshGeometry empty;
  EXPECT_EQ(checkModelConsistency(empty, &model, collect), 0);
  EXPECT_EQ(checkModelConsistency(empty, nullptr, collect), 0);
}

}  // namespace
