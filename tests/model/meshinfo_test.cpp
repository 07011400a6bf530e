#include "tools/meshinfo/meshinfo_report.h"

#include <gtest/gtest.h>

#include <sstream>

#include "tests/model/model_test_support.h"

namespace {

struct MeshinfoRun {
  int code = -1;
  std::vector<std::string> lines;
  std::string err;
};

MeshinfoRun meshinfo(const std::vector<std::string>& arguments) {
  std::ostringstream out, err;
  MeshinfoRun run;
  run.code = runMeshinfo(arguments, out, err);
  std::istringstream in(out.str());
  for (std::string line; std::getline(in, line);) run.lines.push_back(line);
  run.err = err.str();
  log_reset_for_tests();
  return run;
}

// Index of the first line at or after from equal to line, or -1.
long find(const std::vector<std::string>& lines, const std::string& line, long from = 0) {
  for (long i = from; i < static_cast<long>(lines.size()); ++i) {
    if (lines[i] == line) return i;
  }
  return -1;
}

TEST(MeshinfoTest, PrintsTheSummaryThenTheLoadersLogLines) {
  TempDir dir;
  const std::string path = dir.file("hero.x_out");
  ASSERT_TRUE(writeModelFile(path, sampleSkinnedModel()));
  ScriptDescription script;
  script.texture = "hero.bmp";
  script.effect = "skin.fx";
  script.tangents = true;
  script.shadowEffect = "shadow.fx";
  script.animations = {{"walk", 60, {0, 1, 2}}};
  ASSERT_TRUE(writeScriptBeside(path, script));

  const MeshinfoRun run = meshinfo({path});
  EXPECT_EQ(run.code, 0);
  const std::vector<std::string> inOrder = {
      "model: " + path,
      "result: loaded",
      "chunks: 11",
      "  4          0  CHUNK_VECTORS                   0          48",
      "mesh:",
      "  vertices: 4",
      "  indices: 6 (2 triangles)",
      "  skinning: 2 weights and 2 palette indices per vertex",
      "  vertex layout: position(12) weights(2x4) palette(4) normal(12) texcoord0(8) texcoord1(8) "
      "tangent(12) = 64 bytes",
      "  tangents: requested",
      "materials: 2, material offsets: 2",
      "bones: 2, frames: 3",
      "     1    11     3              16       0",
      "armature: 2 bones, order: 0 1",
      "animations: 1",
      "  walk: 3 frames, 60 ms per frame: 0 1 2",
      "text commands: 2",
      "  t hero.bmp",
      "  e skin.fx",
      "shadow volume: requested, effect shadow.fx",
      "loader log:",
      "  Vectors loaded.",
      "  Indices loaded.",
      "  Bone Num:  2",
      "  armature loaded.",
      "  loading script from: " + dir.file("hero.txt"),
      "  vectors & indices uploaded in normal ram too.",
  };
  long at = 0;
  for (const std::string& line : inOrder) {
    const long found = find(run.lines, line, at);
    ASSERT_GE(found, 0) << "missing or out of order: " << line;
    at = found + 1;
  }
}

TEST(MeshinfoTest, ExitCodesForAFailedLoadAndBadUsage) {
  TempDir dir;
  const std::string path = dir.file("broken.x_out");
  ModelDescription written = sampleStaticModel();
  written.indices.push_back(9);
  ASSERT_TRUE(writeModelFile(path, written));
  ASSERT_TRUE(writeScriptBeside(path, ScriptDescription{}));
  const MeshinfoRun failed = meshinfo({path});
  EXPECT_EQ(failed.code, 1);
  EXPECT_GE(find(failed.lines, "result: load failed (the log below says why)"), 0);
  EXPECT_GE(find(failed.lines, "  <error> ModelLoader::checkconsistency() index count 7 not a multiple of 3"),
            find(failed.lines, "loader log:"));

  const MeshinfoRun help = meshinfo({"--help"});
  EXPECT_EQ(help.code, 0);
  EXPECT_EQ(help.lines.front(), "usage: meshinfo MODEL");
  EXPECT_EQ(meshinfo({}).code, 2);
  EXPECT_EQ(meshinfo({path, path}).code, 2);
  const MeshinfoRun unknown = meshinfo({"--bogus"});
  EXPECT_EQ(unknown.code, 2);
  EXPECT_NE(unknown.err.find("usage: meshinfo MODEL"), std::string::npos);
}

}  // namespace
