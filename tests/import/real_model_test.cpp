// Real models nobody here wrote (Debian's assimp-testmodels), converted and
// loaded back: the self-check, the format's rules, the files the viewer needs.
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <algorithm>
#include <assimp/Importer.hpp>
#include <cmath>
#include <set>
#include <utility>

#include "import/view_fit.h"
#include "tests/import/conversion_support.h"
#include "tools/meshinfo/model_validation.h"

namespace fs = std::filesystem;

namespace {

std::string framesText(int count) {
  std::string text = "{";
  for (int f = 0; f < count; ++f) text += " " + std::to_string(f);
  return text + " }";
}

Vector3 minus(const Vector3& a, const Vector3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }

}  // namespace

TEST(RealModelConversion, SkinnedModelsPassTheSelfCheckAndEveryRuleOfTheFormat) {
  struct Case {
    const char* model;
    const char* stem;
    int bones;   // bones, the nodes up to their common ancestor, bones without node
    int frames;  // the clip's length sampled every 33 ms, both ends included
    bool texCoords;
    const char* warning;
  };
  const Case cases[] = {
      {"X/anim_test.x", "anim_test", 4, 31, true, "bone \"joint3\" has no node"},
      {"FBX/animation_with_skeleton.fbx", "animation_with_skeleton", 15, 27, true,
       "more than 4 bone weights"},
      {"glTF2/simple_skin/simple_skin.gltf", "simple_skin", 2, 168, false, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.model);
    SKIP_WITHOUT_TEST_MODEL(c.model);
    TempDir dir;
    const ConversionRun run = runConversion(optionsFor(testModel(c.model), dir.path().string()));
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(run.summary.checked);
    EXPECT_LE(run.summary.largestDeviation, 1e-5);
    EXPECT_EQ(run.summary.bones, c.bones);
    EXPECT_EQ(run.summary.frames, c.frames);
    if (c.warning) {
      EXPECT_NE(run.out.find(c.warning), std::string::npos) << run.out;
    }
    EXPECT_EQ(validateModel(run.summary.modelPath), std::vector<std::string>{});

    // The script: skinned effect, tangents, and the one clip three times so
    // that the viewer's starting animation (the third) exists.
    const fs::path bin = dir.path() / "bin";
    const std::vector<std::string> script =
        textLines(read_whole_file((bin / (std::string(c.stem) + ".txt")).string()));
    // The last line names the one material's textures (none: drawn in its colour).
    EXPECT_EQ(script.back(), "m 0 - -");
    const std::string clip =
        script[script.size() - 2].substr(0, script[script.size() - 2].find(' ', 2));
    const std::string clipLine = clip + " 33 " + framesText(c.frames);
    std::vector<std::string> expected = {"t " + std::string(c.stem) + "_colour.bmp",
                                         "e ../effect/skinned.fx"};
    if (c.texCoords) expected.push_back("T");
    expected.insert(expected.end(), {clipLine, clipLine, clipLine, "m 0 - -"});
    EXPECT_EQ(script, expected);

    // Everything the viewer opens from its start folder.
    EXPECT_EQ(read_whole_file((bin / "input.txt").string()), std::string(c.stem) + ".x_out\n");
    for (const fs::path& file :
         {bin / "wall.x_out", bin / "wall.txt", bin / "font.bmp", bin / "font.fnd",
          dir.path() / "effect" / "skinned.fx", dir.path() / "texture" / "wall.bmp",
          dir.path() / "texture" / (std::string(c.stem) + "_colour.bmp")}) {
      EXPECT_TRUE(fs::is_regular_file(file)) << file;
    }
  }
}

TEST(RealModelConversion, TexturedBoxIsRigidKeepsItsTextureAndFacesOutward) {
  const std::string model = "glTF2/BoxTextured-glTF/BoxTextured.gltf";
  SKIP_WITHOUT_TEST_MODEL(model);
  TempDir dir;
  ModelConversion conversion(optionsFor(testModel(model), dir.path().string()));
  ASSERT_TRUE(conversion.read() && conversion.assemble() && conversion.write())
      << conversion.error();
  const SelfCheckResult check = conversion.check();
  EXPECT_TRUE(check.passed) << (check.problems.empty() ? check.worstCase : check.problems[0]);
  EXPECT_EQ(validateModel(conversion.summary().modelPath), std::vector<std::string>{});

  const fs::path bin = dir.path() / "bin";
  EXPECT_EQ(textLines(read_whole_file((bin / "BoxTextured.txt").string())),
            (std::vector<std::string>{"t BoxTextured_colour.png", "e ../effect/static.fx", "T",
                                      "m 0 BoxTextured_colour.png -"}));
  const std::string png =
      read_whole_file((dir.path() / "texture" / "BoxTextured_colour.png").string());
  EXPECT_EQ(png.substr(0, 4), "\x89PNG");

  const ModelDescription& box = conversion.assembled().model;
  EXPECT_TRUE(box.bones.empty());
  ASSERT_EQ(box.positions.size(), 24u);
  ASSERT_EQ(box.indices.size(), 36u);
  // Fitted by the view: its width or height fills the view's share at its
  // front, right of the origin.
  Vector3 low = box.positions[0], high = box.positions[0];
  for (const Vector3& p : box.positions) {
    low = {std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z)};
    high = {std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z)};
  }
  const Vector3 size = minus(high, low);
  const Vector3 centre{(low.x + high.x) / 2, (low.y + high.y) / 2, (low.z + high.z) / 2};
  const double viewHeight = 2.0 * view_room::kHalfViewTangent * (low.z - view_room::kEye.z);
  EXPECT_NEAR(std::max(size.x, size.y) / viewHeight, kViewShare, 1e-3);
  EXPECT_NEAR(centre.x, view_room::kPlace.x, 1e-5);
  EXPECT_NEAR(centre.y, view_room::kPlace.y, 1e-5);
  // Left-handed with clockwise front faces: the corners' cross product, and
  // the normals, point away from the centre of the (convex) box.
  for (size_t t = 0; t < box.indices.size(); t += 3) {
    const Vector3& a = box.positions[box.indices[t]];
    const Vector3 ab = minus(box.positions[box.indices[t + 1]], a);
    const Vector3 ac = minus(box.positions[box.indices[t + 2]], a);
    const Vector3 face = ab.cross(ac);
    const Vector3 outward = minus(a, centre);
    EXPECT_GT(face.dot(outward), 0.0) << "triangle " << t / 3;
    EXPECT_GT(box.normals[box.indices[t]].dot(outward), 0.0) << "triangle " << t / 3;
  }
  // Texture v runs down the image, as assimp gives it when asked to flip.
  Assimp::Importer importer;
  const aiScene* flipped =
      importer.ReadFile(testModel(model), aiProcess_Triangulate | aiProcess_FlipUVs);
  ASSERT_NE(flipped, nullptr);
  std::multiset<std::pair<float, float>> expected, written;
  for (unsigned v = 0; v < flipped->mMeshes[0]->mNumVertices; ++v) {
    expected.insert(
        {flipped->mMeshes[0]->mTextureCoords[0][v].x, flipped->mMeshes[0]->mTextureCoords[0][v].y});
  }
  for (const TexCoord2& uv : box.texCoords0) written.insert({uv.u, uv.v});
  EXPECT_EQ(written, expected);
}

TEST(RealModelConversion, EmbeddedTextureIsExtracted) {
  const std::string model = "glTF2/BoxTextured-glTF-Binary/BoxTextured.glb";
  SKIP_WITHOUT_TEST_MODEL(model);
  TempDir dir;
  const ConversionRun run = runConversion(optionsFor(testModel(model), dir.path().string()));
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string png =
      read_whole_file((dir.path() / "texture" / "BoxTextured_colour.png").string());
  EXPECT_EQ(png.substr(0, 4), "\x89PNG");
}

TEST(RealModelConversion, AModelOverTheIndexLimitConvertsIntoPartsThatEachValidate) {
  const char* file = "glTF2/2CylinderEngine-glTF-Binary/2CylinderEngine.glb";
  SKIP_WITHOUT_TEST_MODEL(file);
  TempDir dir;
  const ConversionRun run = runConversion(optionsFor(testModel(file), dir.path().string()));
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_GT(run.summary.triangles * 3, kMaxIndexCount);
  ASSERT_GT(run.summary.parts, 1);
  EXPECT_TRUE(run.summary.checked);
  // The first file names every other; each is a valid model of its own.
  const fs::path bin = dir.path() / "bin";
  EXPECT_EQ(validateModel(run.summary.modelPath), std::vector<std::string>{});
  int named = 0;
  for (const std::string& line :
       textLines(read_whole_file((bin / "2CylinderEngine.txt").string()))) {
    if (line.rfind("p ", 0) != 0) continue;
    ++named;
    EXPECT_EQ(validateModel((bin / line.substr(2)).string()), std::vector<std::string>{}) << line;
  }
  EXPECT_EQ(named, run.summary.parts - 1);
}
