#include "tools/meshinfo/meshinfo_report.h"

#include <gtest/gtest.h>

#include <sstream>

#include "tests/model/hero_model.h"

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

TEST(MeshinfoTest, PrintsTheSummaryThenEveryLineOfTheWholeLoad) {
  ViewerLayout layout;  // meshinfo works from the working directory, as the viewer does
  writeHero(layout, sampleSkinnedModel(), heroScript());

  const MeshinfoRun run = meshinfo({"hero.x_out"});
  EXPECT_EQ(run.code, 0);
  const std::vector<std::string> inOrder = {
      "model: hero.x_out",
      "result: loaded",
      "chunks: 11",
      "  4          0  CHUNK_VECTORS                   0          48",
      "mesh:",
      "  vertices: 6",
      "  indices: 6 (2 triangles)",
      "  skinning: 2 weights and 2 palette indices per vertex",
      "  tangents: built",
      "materials: 2, material offsets: 2",
      "bones: 2, frames: 3",
      "     1    11     3              16       0",
      "armature: 2 bones, order: 0 1",
      "animations: 1",
      "  walk: 3 frames, 60 ms per frame: 0 1 2",
      "text commands: 3",
      "  t hero.bmp",
      "  b hero_n.bmp",
      "  e skin.fx",
      "normal model: ready, 6 vertices of 64 bytes, FVF 0x10131A, 6 indices",
      "shadow volume: ready, 6 vertices of 48 bytes, FVF 0x5120A, 12 indices, effect shadow.fx",
      "loader log:",
  };
  long at = 0;
  for (const std::string& line : inOrder) {
    const long found = find(run.lines, line, at);
    ASSERT_GE(found, 0) << "missing or out of order: " << line;
    at = found + 1;
  }
  // After the summary, the load's log exactly, "Final FVF " lines included.
  std::vector<std::string> logLines;
  for (const std::string& line : heroLog()) logLines.push_back("  " + line);
  EXPECT_EQ(std::vector<std::string>(run.lines.begin() + at, run.lines.end()), logLines);

  // A missing effect fails as in the viewer: the model loads without it.
  std::filesystem::remove(layout.bin("skin.fx"));
  const MeshinfoRun missing = meshinfo({"hero.x_out"});
  EXPECT_EQ(missing.code, 0);
  EXPECT_GE(find(missing.lines, "  Cefect: file not excist...?"), 0);
  EXPECT_GE(find(missing.lines, "  <ERROR> Modell's effect file not loaded:  0"), 0);
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
