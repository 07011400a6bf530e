// The self-check must notice a written model that does not move like its
// source: each case spoils one part of an otherwise right conversion.
#include <functional>
#include <utility>

#include "tests/import/conversion_support.h"

namespace {

SelfCheckResult convertSpoiled(const std::string& outDir,
                               const std::function<void(ModelDescription&)>& spoil) {
  ModelConversion conversion(optionsFor(testModel("X/anim_test.x"), outDir));
  EXPECT_TRUE(conversion.read() && conversion.assemble()) << conversion.error();
  spoil(conversion.assembled().model);
  EXPECT_TRUE(conversion.write()) << conversion.error();
  return conversion.check();
}

}  // namespace

TEST(SelfCheck, PassesTheRightModelAndFailsEverySpoiledPart) {
  SKIP_WITHOUT_TEST_MODEL("X/anim_test.x");
  TempDir dir;
  const SelfCheckResult right = convertSpoiled(dir.file("right"), [](ModelDescription&) {});
  EXPECT_TRUE(right.passed);
  EXPECT_LT(right.largestDeviation, 1e-5);
  EXPECT_EQ(right.posesCompared, 3 * 31);  // the one clip, listed three times

  const std::pair<const char*, std::function<void(ModelDescription&)>> spoiled[] = {
      {"offsets of bones 0 and 1 swapped",
       [](ModelDescription& m) { std::swap(m.bones[0].offset, m.bones[1].offset); }},
      {"bone 1 moved at key 12",
       [](ModelDescription& m) { m.bones[1].keys[12].values[12] += 0.5f; }},
      {"bone 1 detached from its parent", [](ModelDescription& m) { m.boneParents[1] = 255; }},
      {"palette indices of every vertex rotated",
       [](ModelDescription& m) {
         const size_t w = m.paletteIndicesPerVertex;
         for (size_t v = 0; v + w <= m.paletteIndices.size(); v += w) {
           std::rotate(m.paletteIndices.begin() + v, m.paletteIndices.begin() + v + 1,
                       m.paletteIndices.begin() + v + w);
         }
       }},
  };
  int run = 0;
  for (const auto& [what, spoil] : spoiled) {
    SCOPED_TRACE(what);
    const SelfCheckResult result =
        convertSpoiled(dir.file("spoiled" + std::to_string(run++)), spoil);
    EXPECT_FALSE(result.passed);
    EXPECT_GT(result.largestDeviation, kMaxRelativeDeviation);
  }
  // The key spoiled above is found where it is.
  const SelfCheckResult moved = convertSpoiled(
      dir.file("moved"), [](ModelDescription& m) { m.bones[1].keys[12].values[12] += 0.5f; });
  EXPECT_NE(moved.worstCase.find("frame 12,"), std::string::npos) << moved.worstCase;
}

TEST(SelfCheck, ReportsWhatTheLoadLogsAndTexturesThatDoNotLoad) {
  SKIP_WITHOUT_TEST_MODEL("X/anim_test.x");
  TempDir dir;
  ModelConversion conversion(optionsFor(testModel("X/anim_test.x"), dir.path().string()));
  ASSERT_TRUE(conversion.read() && conversion.assemble() && conversion.write())
      << conversion.error();
  std::filesystem::remove(dir.path() / "texture" / "anim_test_colour.bmp");
  std::filesystem::remove(dir.path() / "effect" / "skinned.fx");
  const SelfCheckResult result = conversion.check();
  EXPECT_FALSE(result.passed);
  std::string problems;
  for (const std::string& problem : result.problems) problems += problem + "\n";
  EXPECT_NE(problems.find("a texture did not load: <info> texture: "), std::string::npos)
      << problems;
  EXPECT_NE(problems.find("the load logged: <ERROR> Modell's effect file not loaded"),
            std::string::npos)
      << problems;
}

// The check loads from inside bin/ as the viewer does; an output folder given
// relative to the working directory must still lead it to the textures.
TEST(SelfCheck, ARelativeOutputFolderStillFindsTheTextures) {
  const std::string model = "SMD/holy_grailref.smd";
  SKIP_WITHOUT_TEST_MODEL(model);
  TempDir dir;
  WorkingDirectoryGuard cwd;
  std::filesystem::current_path(dir.path());
  const ConversionRun run = runConversion(optionsFor(testModel(model), "out"));
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(run.summary.checked);
  EXPECT_EQ(run.summary.textures, 1);
}
