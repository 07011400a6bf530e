#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/model/hero_model.h"

namespace {

TEST(FullLoadTest, SkinnedModelWithShadowVolumeAndTangents) {
  RecordedDevice device;
  ASSERT_TRUE(device.created());
  LoaderLog log;
  ViewerLayout layout;
  writeHero(layout, sampleSkinnedModel(), heroScript());

  RenderModel model;
  RenderModel shadow;
  ModelLoader loader;
  LoadTargets targets{1, &model, &shadow};
  ASSERT_EQ(loader.load("hero.x_out", targets), 1u);
  EXPECT_EQ(log.lines(), heroLog());

  EXPECT_EQ(shadow.kind, RenderModel::kShadowVolumeModel);
  EXPECT_EQ(shadow.ready, 1);
  EXPECT_NE(shadow.effect.GetEffect(), nullptr);
  EXPECT_EQ(model.ready, 1);
  EXPECT_NE(model.bumpTexture.GetD3DTexture(), nullptr);
  EXPECT_EQ(model.ramPositions.count, 6);  // the re-arranged mesh

  // The loaded model draws its six vertices with a two-bone palette.
  LightList lights;
  ASSERT_TRUE(lights.Reserve(1));
  lights.Add(LightRecord{});
  DrawInstance instance;
  instance.now = 90;
  ASSERT_TRUE(model.Draw(instance, true, lights));
  const CallLog& calls = device.recorder().Log();
  EXPECT_EQ(calls.Last("Effect::SetMatrixArray")->u(2), 2u);
  EXPECT_EQ(calls.Last("DrawIndexedPrimitive")->u(3), 6u);
}

TEST(FullLoadTest, TangentRequestsThatCannotBeMetLeaveALoadableModel) {
  RecordedDevice device;
  LoaderLog log;
  ViewerLayout layout;
  ScriptDescription script = heroScript();
  script.shadowEffect.clear();

  // Tangents without any texture set: the upload reports it, nothing fails.
  ModelDescription plain = sampleStaticModel();
  plain.texCoords0.clear();
  writeHero(layout, plain, script);
  {
    RenderModel model;
    ModelLoader loader;
    log.restart();
    ASSERT_EQ(loader.load("hero.x_out", LoadTargets{0, &model, nullptr}), 1u);
    EXPECT_TRUE(log.has("<info> text command specifies to compute tangent"));
    EXPECT_TRUE(log.errors().empty());
    EXPECT_FALSE(log.has("---Tangent computation---"));
    EXPECT_EQ(model.vertexBuffer.GetFVF(), 0x012u);
  }

  // A failed tangent build keeps the mesh as read, without tangents.
  ModelDescription secondSetOnly = sampleSkinnedModel();
  secondSetOnly.texCoords0.clear();
  writeHero(layout, secondSetOnly, script);
  {
    RenderModel model;
    ModelLoader loader;
    log.restart();
    ASSERT_EQ(loader.load("hero.x_out", LoadTargets{0, &model, nullptr}), 1u);
    EXPECT_EQ(log.errors().back(), "<error> creating tangent data");
    EXPECT_EQ(loader.mesh.hasTangents, 0);
    EXPECT_EQ(loader.mesh.positions.count, 4);
    EXPECT_EQ(model.vertexBuffer.GetFVF(), 0x111Au);  // one set, no tangent
    EXPECT_EQ(model.vertexBuffer.GetSize(), 4 * 44);
  }
}

}  // namespace
