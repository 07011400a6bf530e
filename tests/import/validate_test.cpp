// meshinfo --validate: every broken rule on its own line, not only the first.
#include <gtest/gtest.h>

#include <sstream>

#include "tests/support/temp_dir.h"
#include "tools/meshinfo/meshinfo_report.h"
#include "tools/meshinfo/model_validation.h"
#include "tools/model_writer/sample_models.h"
#include "tools/model_writer/script_writer.h"

namespace {

std::string writeSample(const TempDir& dir, const ModelDescription& model,
                        const ScriptDescription& script) {
  const std::string path = dir.file("sample.x_out");
  EXPECT_TRUE(writeModelFile(path, model));
  EXPECT_TRUE(writeScriptBeside(path, script));
  return path;
}

ScriptDescription clipScript(std::vector<int32_t> frames) {
  ScriptDescription script;
  script.effect = "skinned.fx";
  script.animations.push_back({"walk", 40, std::move(frames)});
  return script;
}

int runValidate(const std::string& path, std::string* out) {
  std::ostringstream o, e;
  const int status = runMeshinfo({"--validate", path}, o, e);
  *out = o.str();
  return status;
}

}  // namespace

TEST(Validate, ListsEveryBrokenRuleAndPassesAValidModel) {
  TempDir dir;
  std::string out;
  const std::string valid = writeSample(dir, sampleSkinnedModel(), clipScript({0, 1, 2}));
  EXPECT_EQ(runValidate(valid, &out), 0) << out;
  EXPECT_EQ(out, "meshinfo: " + valid + " is valid\n");

  // Four rules broken at once; the loader itself stops at the first.
  ModelDescription broken = sampleSkinnedModel();
  broken.normals.pop_back();
  broken.indices[4] = 9;
  broken.paletteIndices[3] = 7;
  broken.boneParents[0] = 1;
  const std::string path = writeSample(dir, broken, clipScript({0, 3, 2, 5}));
  EXPECT_EQ(runValidate(path, &out), 1);
  const std::vector<std::string> problems = validateModel(path);
  ASSERT_EQ(problems.size(), 5u) << out;
  const char* expected[] = {
      "1 palette indices not below bone count 2", "3 normals for 4 vertices",
      "1 indices not below vertex count 4", "1 bones handled before their parent",
      "animation walk: 2 frame numbers not below the frame count 3, first: 3"};
  for (size_t i = 0; i < problems.size(); ++i) {
    EXPECT_EQ(problems[i].rfind("<error> ", 0), 0u) << problems[i];
    EXPECT_NE(problems[i].find(expected[i]), std::string::npos) << problems[i];
    EXPECT_NE(out.find(problems[i] + "\n"), std::string::npos);
  }
  EXPECT_NE(out.find(" breaks 5 rules\n"), std::string::npos);
}

TEST(Validate, FileLevelFaultsAndRulesTheLoaderLeavesToTheViewer) {
  TempDir dir;
  // Not a model file at all: one line, from where the loader stopped.
  write_whole_file(dir.file("text.x_out"), "MESH but not really");
  std::vector<std::string> problems = validateModel(dir.file("text.x_out"));
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_NE(problems[0].find("wrong magic word"), std::string::npos) << problems[0];

  // A script error, reported on one line with its continuation.
  ModelDescription model = sampleStaticModel();
  const std::string path = dir.file("noeffect.x_out");
  ASSERT_TRUE(writeModelFile(path, model));
  ASSERT_TRUE(writeScriptFile(scriptPathFor(path), "t wall.bmp e"));
  problems = validateModel(path);
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_EQ(problems[0],
            "<error> parsing text commands in file: 'e' found but no effectfilename!!");

  // Weights without palette indices, and no indices: the loader accepts
  // the first and fails late on the second; both are reported.
  model.indices.clear();
  model.weightsPerVertex = 1;
  model.blendWeights = {1, 1, 1, 1};
  const std::string loose = dir.file("loose.x_out");
  ASSERT_TRUE(writeModelFile(loose, model));
  ASSERT_TRUE(writeScriptBeside(loose, ScriptDescription{}));
  problems = validateModel(loose);
  std::string all;
  for (const std::string& problem : problems) all += problem + "\n";
  EXPECT_NE(all.find("<error> no indices (CHUNK_INDICES)\n"), std::string::npos) << all;
  EXPECT_NE(
      all.find("<error> blend weights without matrix palette indices (CHUNK_MATRIXPALETTE)\n"),
      std::string::npos)
      << all;
}
