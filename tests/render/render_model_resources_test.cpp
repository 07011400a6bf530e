#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "render/render_model.h"
#include "tests/render/drawable_model.h"
#include "tests/render/recorded_device_fixture.h"
#include "tests/support/log_capture.h"

namespace {

class ResourcesTest : public RecordedDeviceTest {
 protected:
  LogCapture logLines;
  DataFolders folders;
};

TEST_F(ResourcesTest, TexturesAndEffectComeFromTheirFolders) {
  folders.writeTexture("wall.bmp");
  folders.writeTexture("other.bmp");
  rec().SetEffect(folders.writeEffect("skin.fx"), EffectSetup{});
  RenderModel model;
  // The first of two 't' commands counts; the bump texture is missing.
  setCommands(model, {{'t', "wall.bmp"}, {'b', "wall_n.bmp"}, {'t', "other.bmp"}, {'e', "skin.fx"}});
  EXPECT_EQ(model.FindCommand('t'), 0);
  EXPECT_EQ(model.FindCommand('e'), 3);
  EXPECT_EQ(model.FindCommand('S'), -1);

  EXPECT_TRUE(model.PrepareForDraw());
  EXPECT_EQ(logLines.lines(), (std::vector<std::string>{
                                  "PUSHTEXTCOMMANDS ",
                                  "<info> bumptexture: " + folders.texture("wall_n.bmp"),
                                  " loader rets:  0",
                                  "EFFECT: " + folders.effect("skin.fx")}));
  const std::vector<const CallRecord*> loads = log().Named("D3DXCreateTextureFromFileExA");
  ASSERT_FALSE(loads.empty());
  EXPECT_EQ(loads[0]->s(1), folders.texture("wall.bmp"));
  EXPECT_EQ(loads[0]->u(2), 0u);  // the file's own size
  EXPECT_NE(model.texture.GetD3DTexture(), nullptr);
  EXPECT_EQ(model.bumpTexture.GetD3DTexture(), nullptr);
  EXPECT_EQ(model.effect.TechniqueCount(), 1);
  EXPECT_EQ(model.GetAnimations(), nullptr);
}

TEST_F(ResourcesTest, SystemMemoryTextureAndMissingEffectAreReported) {
  folders.writeTexture("huge.bmp");
  rec().Fail("D3DXCreateTextureFromFileExA", D3DERR_OUTOFVIDEOMEMORY).WhenArg(7, D3DPOOL_DEFAULT);
  RenderModel model;
  setCommands(model, {{'t', "huge.bmp"}, {'e', "gone.fx"}});
  EXPECT_FALSE(model.LoadResources());
  const std::string effectPath = folders.effect("gone.fx");
  EXPECT_EQ(logLines.lines(), (std::vector<std::string>{
                                  "PUSHTEXTCOMMANDS ",
                                  "<info> texture: " + folders.texture("huge.bmp"),
                                  " loader rets:  2",
                                  "- no bumptex",
                                  "<error at loading> Ceffect::LoadFromFile: " + effectPath,
                                  "Cefect: file not excist...?",
                                  "EFFECT: " + effectPath,
                                  "<ERROR> Modell's effect file not loaded:  0"}));
  EXPECT_TRUE(model.texture.IsSystemMemory());
}

TEST_F(ResourcesTest, ShadowVolumeModelLoadsOnlyItsEffect) {
  RenderModel shadow;
  shadow.kind = RenderModel::kShadowVolumeModel;
  EXPECT_FALSE(shadow.LoadResources());
  EXPECT_EQ(logLines.lines(), (std::vector<std::string>{
                                  "PUSHTEXTCOMMANDS ", "- ShadowVolumeMesh wif no effect file path?"}));

  folders.writeTexture("wall.bmp");
  rec().SetEffect(folders.writeEffect("shadow.fx"), EffectSetup{});
  setCommands(shadow, {{'t', "wall.bmp"}, {'S', "shadow.fx"}});
  EXPECT_TRUE(shadow.PrepareForDraw());
  EXPECT_EQ(log().Count("D3DXCreateTextureFromFileExA"), 0u);
  EXPECT_EQ(log().Last("D3DXCreateEffectFromFileA")->s(1), folders.effect("shadow.fx"));

  setCommands(shadow, {{'S', "missing.fx"}});
  const size_t before = logLines.lines().size();
  EXPECT_FALSE(shadow.LoadResources());
  const std::vector<std::string> lines = logLines.lines();
  EXPECT_EQ(lines.back(), "<ERROR> ShadowVolumeModel's effect file not loaded:  0");
  EXPECT_EQ(lines.size(), before + 4);
}

}  // namespace
