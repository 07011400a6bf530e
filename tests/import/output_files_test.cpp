// What the converter reads from the shipped effects and how it judges
// texture files.
#include <gtest/gtest.h>

#include <filesystem>

#include "import/converter.h"
#include "import/effect_files.h"
#include "import/texture_export.h"
#include "tests/support/temp_dir.h"

namespace fs = std::filesystem;

TEST(EffectFiles, BoneArraySizeFollowsIncludesAndDefines) {
  const fs::path shipped =
      fs::path(MESHVIEW_TEST_DATA) / ".." / ".." / "demo" / "effect" / "skinned.fx";
  std::string error;
  EXPECT_EQ(boneArrayCapacity(shipped.string(), &error), 255) << error;

  TempDir dir;
  write_whole_file(dir.file("sizes.fxh"), "#define PALETTE BONES\n#define BONES 60\n");
  write_whole_file(dir.file("indirect.fx"),
                   "// float4x4 matrixBone[8]; was the old size\n"
                   "#include \"sizes.fxh\"\n"
                   "/* float4x3 matrixBone[9]; */\n"
                   "float4x3 matrixBone[PALETTE];\n"
                   "float4x3 Bone(int i) { return matrixBone[i]; }\n");
  EXPECT_EQ(boneArrayCapacity(dir.file("indirect.fx"), &error), 60) << error;

  write_whole_file(dir.file("none.fx"), "float4x4 World;\nfloat4x4 bones[UNKNOWN];\n");
  EXPECT_EQ(boneArrayCapacity(dir.file("none.fx"), &error), 0);
  EXPECT_NE(error.find("cannot find the size of the \"matrixBone\" array"), std::string::npos);
  EXPECT_EQ(boneArrayCapacity(dir.file("missing.fx"), &error), 0);
}

TEST(TextureFiles, LoaderFormatsPassAsTheyAreAndOthersAreReencoded) {
  const std::string png = read_whole_file(std::string(MESHCONV_TEST_MODELS) + "/X/test.png");
  const std::string tga = read_whole_file(std::string(MESHCONV_TEST_MODELS) + "/X/bottom.tga");
  if (png.empty() || tga.empty()) GTEST_SKIP() << "missing test images";
  const std::vector<unsigned char> pngBytes(png.begin(), png.end());
  const std::vector<unsigned char> tgaBytes(tga.begin(), tga.end());
  EXPECT_EQ(loaderImageFormat(pngBytes, "whatever.dat"), "png");
  EXPECT_EQ(loaderImageFormat(tgaBytes, "bottom.TGA"), "tga");
  // A TGA is only known by its name; bytes nobody can decode are no image.
  EXPECT_EQ(loaderImageFormat(tgaBytes, "bottom.dat"), "");
  std::vector<unsigned char> broken(pngBytes.begin(), pngBytes.begin() + 8);
  EXPECT_EQ(loaderImageFormat(broken, "cut.png"), "");
}

TEST(OutputNames, ModelNamesHaveOneDotAndLeaveTheViewersFilesAlone) {
  EXPECT_EQ(modelStem("/models/Box.Textured v2.gltf", ""), "Box_Textured_v2");
  EXPECT_EQ(modelStem("/models/box.gltf", "my hero"), "my_hero");
  EXPECT_EQ(modelStem("/models/wall.obj", ""), "wall_model");
  EXPECT_EQ(modelStem("/models/x.fbx", "Input"), "Input_model");
  EXPECT_EQ(modelStem("/models/loaderlog.x", ""), "loaderlog_model");
  EXPECT_EQ(modelStem("/models/.fbx", ""), "_fbx");
}
