#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "tests/model/hero_model.h"
#include "tools/meshinfo/meshinfo_report.h"
#include "tools/meshinfo/model_validation.h"

namespace {

// Two quads side by side: material 0 the first, material 1 the second.
ModelDescription twoMaterialModel() {
  ModelDescription model = sampleStaticModel();
  model.positions.insert(model.positions.end(), {{2, 0, 0}, {3, 0, 0}, {3, 1, 0}, {2, 1, 0}});
  model.normals.insert(model.normals.end(), 4, Vector3{0, 0, -1});
  model.texCoords0.insert(model.texCoords0.end(), {{0, 0}, {1, 0}, {1, 1}, {0, 1}});
  model.indices.insert(model.indices.end(), {4, 5, 6, 4, 6, 7});
  CMaterial red;
  CMaterial blue;
  red.values[0] = 1, red.values[3] = 1, red.values[16] = 20;
  blue.values[2] = 1, blue.values[3] = 1;
  model.materials = {red, blue};
  model.materialOffsets = {0, 6};
  return model;
}

class MaterialsAndPartsTest : public ::testing::Test {
 protected:
  uint32_t load(RenderModel& model) {
    log_.restart();
    ModelLoader loader;
    return loader.load("hero.x_out", LoadTargets{0, &model, nullptr});
  }
  std::vector<std::string> validation() { return validateModel(layout_.bin("hero.x_out")); }

  RecordedDevice device_;
  LoaderLog log_;
  ViewerLayout layout_;
};

TEST_F(MaterialsAndPartsTest, MaterialsAndTheirTexturesReachTheModel) {
  ScriptDescription script = heroScript();
  script.shadowEffect.clear();
  script.animations.clear();
  script.materialTextures = {{1, "head.bmp", ""}};
  writeHero(layout_, twoMaterialModel(), script);
  layout_.writeTexture("head.bmp");

  RenderModel model;
  ASSERT_EQ(load(model), 1u);
  EXPECT_TRUE(log_.errors().empty());
  ASSERT_EQ(model.materials.count, 2);
  EXPECT_EQ(model.materials[0].values[16], 20.0f);
  ASSERT_EQ(model.materialOffsets.count, 2);
  EXPECT_EQ(model.materialOffsets[1], 6);
  ASSERT_EQ(model.materialTextures.count, 2);
  EXPECT_FALSE(model.materialTextures[0].named);  // takes the model's 't' and 'b'
  EXPECT_TRUE(model.materialTextures[1].named);
  EXPECT_NE(model.materialTextures[1].colour.GetD3DTexture(), nullptr);
  EXPECT_EQ(model.materialTextures[1].bump.GetD3DTexture(), nullptr);  // "-": none
  EXPECT_TRUE(validation().empty());

  // meshinfo shows each material with its range and textures.
  std::ostringstream out, err;
  runMeshinfo({layout_.bin("hero.x_out")}, out, err);
  EXPECT_NE(out.str().find("materials: 2, material offsets: 2"), std::string::npos);
  EXPECT_NE(out.str().find("indices 6-12  diffuse 0 0 1 1"), std::string::npos) << out.str();
  EXPECT_NE(out.str().find("texture head.bmp  normal map -"), std::string::npos) << out.str();
}

TEST_F(MaterialsAndPartsTest, ScriptsWithoutTheNewCommandsLoadAsBefore) {
  // The sample's materials are read but no per-material textures are made.
  writeHero(layout_, sampleSkinnedModel(), heroScript());
  RenderModel model;
  ASSERT_EQ(load(model), 1u);
  EXPECT_EQ(model.materials.count, 2);
  EXPECT_EQ(model.materialTextures.count, 0);
  EXPECT_TRUE(model.parts.empty());
}

TEST_F(MaterialsAndPartsTest, BrokenMaterialCommandsFailTheParse) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"m", "'m' found but no material number!!"},
      {"m head.bmp", "'m' found but no material number!!"},
      {"m 1", "'m' found but no texturefilename!!"},
      {"m 1 head.bmp", "'m' found but no texturefilename!!"},
      {"p", "'p' found but no partfilename!!"},
  };
  for (const auto& [text, message] : cases) {
    RenderModel model;
    ModelLoader loader;
    loader.model = &model;
    log_.restart();
    ASSERT_TRUE(writeScriptFile(layout_.bin("s.txt"), "e skin.fx " + text));
    EXPECT_FALSE(loader.parsetextcommands(layout_.bin("s.txt").c_str())) << text;
    EXPECT_TRUE(log_.has(message)) << text;
  }
}

TEST_F(MaterialsAndPartsTest, ValidationNamesEveryBrokenMaterialRule) {
  struct Case {
    std::vector<int32_t> offsets;
    int materials;
    std::vector<int32_t> named;  // materials given an 'm' command
    std::vector<std::string> problems;
  };
  const std::vector<Case> cases = {
      {{0, 6}, 2, {0, 1}, {}},
      {{0, 12}, 2, {}, {}},  // an empty last material
      {{0, 4}, 2, {}, {"<error> material offset 1 (4) is not a multiple of 3"}},
      {{3, 6},
       2,
       {},
       {"<error> the first material offset is 3, not 0 (every index belongs to a material)"}},
      {{0, 15}, 2, {}, {"<error> material offset 1 (15) is outside the index count 12"}},
      {{0, 9, 6}, 3, {}, {"<error> material offset 2 (6) is below the one before it (9)"}},
      {{0}, 2, {}, {"<error> 1 material offsets for 2 materials (one offset per material)"}},
      {{0, 6}, 2, {2}, {"<error> 'm' names material 2 of a model with 2 materials"}},
      {{0, 6}, 2, {1, 1}, {"<error> 'm' names material 1 more than once"}},
  };
  for (const Case& c : cases) {
    ModelDescription model = twoMaterialModel();
    model.materialOffsets = c.offsets;
    model.materials.resize(static_cast<size_t>(c.materials));
    ScriptDescription script = heroScript();
    script.shadowEffect.clear();
    script.animations.clear();
    for (int32_t material : c.named) script.materialTextures.push_back({material, "hero.bmp", ""});
    writeHero(layout_, model, script);
    EXPECT_EQ(validation(), c.problems) << testing::PrintToString(c.offsets);
  }
}

TEST_F(MaterialsAndPartsTest, PartsLoadBesideTheModelAndMustMatchItsSkeleton) {
  ScriptDescription script = heroScript();
  script.shadowEffect.clear();
  ScriptDescription partScript = script;
  script.parts = {"hero_1.x_out"};
  writeHero(layout_, sampleSkinnedModel(), script);
  ASSERT_TRUE(writeModelFile(layout_.bin("hero_1.x_out"), sampleSkinnedModel()));
  ASSERT_TRUE(writeScriptBeside(layout_.bin("hero_1.x_out"), partScript));

  RenderModel model;
  ASSERT_EQ(load(model), 1u);
  EXPECT_TRUE(log_.has("loading part: hero_1.x_out"));
  ASSERT_EQ(model.parts.size(), 1u);
  EXPECT_EQ(model.parts[0]->ready, 1);
  EXPECT_EQ(model.parts[0]->animations.count, 1);
  // A missing part, a part naming parts and a part outside the folder fail the load
  // (first: a validation sets up a device of its own).
  const std::vector<std::pair<std::string, std::string>> broken = {
      {"gone.x_out", "<error> part not loaded: gone.x_out"},
      {"../hero_1.x_out", "<error> a part is named by its file name alone: ../hero_1.x_out"},
      {"hero.x_out", "<error> a part names parts of its own"},
  };
  for (const auto& [name, line] : broken) {
    script.parts = {name};
    writeHero(layout_, sampleSkinnedModel(), script);
    RenderModel failed;
    EXPECT_EQ(load(failed), 0u) << name;
    EXPECT_TRUE(log_.has(line)) << name;
  }
  script.parts = {"hero_1.x_out"};
  writeHero(layout_, sampleSkinnedModel(), script);
  EXPECT_TRUE(validation().empty());

  // A part with another skeleton is named by the validator.
  ModelDescription rigid = sampleStaticModel();
  ASSERT_TRUE(writeModelFile(layout_.bin("hero_1.x_out"), rigid));
  EXPECT_EQ(validation(),
            std::vector<std::string>{
                "<error> part hero_1.x_out has 0 bones and 1 clips, the model 2 and 1"});
}

TEST_F(MaterialsAndPartsTest, UnreadablePathsGetOneLine) {
  std::filesystem::create_directory(layout_.bin("folder.x_out"));
  write_whole_file(layout_.bin("empty.x_out"), "");
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"folder.x_out", "is a directory"},
      {"empty.x_out", "is empty"},
      {"gone.x_out", "no such file"}};
  for (const auto& [name, reason] : cases) {
    for (bool validate : {false, true}) {
      std::ostringstream out, err;
      std::vector<std::string> arguments = {layout_.bin(name)};
      if (validate) arguments.insert(arguments.begin(), "--validate");
      EXPECT_EQ(runMeshinfo(arguments, out, err), 1) << name;
      EXPECT_EQ(out.str(), "") << name;
      EXPECT_EQ(err.str(), "meshinfo: " + layout_.bin(name) + ": " + reason + "\n");
    }
  }
}

}  // namespace
