// Real files the importer's own checks refuse: those that hold a model are
// mended and converted, the others end with a line that says why.
#include "tests/import/conversion_support.h"

namespace fs = std::filesystem;

TEST(ImporterRefusals, EachFileConvertsOrSaysWhy) {
  struct Case {
    const char* file;
    int status;
    const char* line;  // in the warnings (converted) or the refusal
  };
  const std::vector<Case> cases = {
      // UTF-16 text the format readers take only as UTF-8.
      {"OBJ/box_UTF16BE.obj", 0, ""},
      {"AC/SphereWithLight_UTF16LE.ac", 0, ""},
      {"Collada/cube_UTF16LE.dae", 0, ""},
      // Refused by the structure check, mended.
      // (RAW files, mended by dropping missing nodes, are left out: assimp's
      // RAW reader leaks nodes, which the sanitizer build would report.)
      {"STL/triangle_with_empty_solid.stl", 0, "1 empty meshes removed"},
      {"OpenGEX/camera.ogex", 0, "lights and cameras left out"},
      // Nothing a model file holds.
      {"PLY/points.ply", 1, "the file holds no triangle mesh, only points and lines"},
      {"OpenGEX/light_issue1262.ogex", 1,
       "the file holds no triangle mesh, only cameras and lights"},
      {"glTF2/TestNoRootNode/SceneWithoutNodes.gltf", 1,
       "nothing to show: assimp made no mesh of it"},
      // What the importer cannot read at all, in its own words.
      {"glTF2/RecursiveNodes/RecursiveNodes.gltf", 1, "assimp cannot read it: GLTF: Object"},
      {"invalid/malformed.obj", 1, "assimp cannot read it: OBJ: Invalid face index."},
  };
  for (const Case& c : cases) {
    if (!haveTestModel(c.file)) continue;
    TempDir dir;
    ConvertOptions options = optionsFor(testModel(c.file), dir.file("out"));
    const ConversionRun run = runConversion(options);
    EXPECT_EQ(run.status, c.status) << c.file << "\n" << run.err;
    const std::string& text = c.status == 0 ? run.out : run.err;
    EXPECT_NE(text.find(c.line), std::string::npos) << c.file << "\n" << text;
    if (c.status == 0) {
      EXPECT_GT(run.summary.triangles, 0) << c.file;
      EXPECT_TRUE(run.summary.checked) << c.file;
    } else {
      EXPECT_EQ(textLines(run.err).size(), 1u) << c.file << ": one line says why\n" << run.err;
    }
  }
}

TEST(ImporterRefusals, AnimatedScaleTheFileCannotHoldPassesTheCheckWithItsWarning) {
  const char* file = "ASE/anim2.ASE";
  SKIP_WITHOUT_TEST_MODEL(file);
  TempDir dir;
  const ConversionRun run = runConversion(optionsFor(testModel(file), dir.file("out")));
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("changes its scale"), std::string::npos) << run.out;
  // Its other vertices are still compared at every key.
  EXPECT_NE(run.out.find("vertices on bones that change scale left out"), std::string::npos)
      << run.out;
  EXPECT_LT(run.summary.largestDeviation, kMaxRelativeDeviation);
  EXPECT_GT(run.summary.triangles, 0);
}
