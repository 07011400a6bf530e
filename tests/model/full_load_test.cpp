#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/d3d9_util.h"
#include "render/render_target.h"
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

  // The shadow-volume model is made ready first, from the mesh as read.
  EXPECT_EQ(shadow.kind, RenderModel::kShadowVolumeModel);
  EXPECT_EQ(shadow.ready, 1);
  EXPECT_EQ(shadow.vertexBuffer.GetFVF(), 0x5120Au);
  EXPECT_EQ(shadow.indexBuffer.GetCount(), 12);
  EXPECT_NE(shadow.effect.GetEffect(), nullptr);
  EXPECT_EQ(shadow.texture.GetD3DTexture(), nullptr);

  EXPECT_EQ(model.kind, RenderModel::kNormalModel);
  EXPECT_EQ(model.ready, 1);
  EXPECT_EQ(model.vertexBuffer.GetFVF(), 0x10131Au);
  EXPECT_EQ(VertexSizeOfFVF(model.vertexBuffer.GetFVF()), model.vertexBuffer.GetStride());
  EXPECT_NE(model.texture.GetD3DTexture(), nullptr);
  EXPECT_NE(model.bumpTexture.GetD3DTexture(), nullptr);
  EXPECT_EQ(model.boneWorld.count, 2);
  EXPECT_EQ(model.ramPositions.count, 6);  // the re-arranged mesh

  // The loaded model draws: two bones in the palette, six vertices, two triangles.
  Texture shadowMap;
  ASSERT_TRUE(shadowMap.CreateRenderTarget(512, 512, D3DFMT_R32F));
  RenderTarget shadowTarget;
  ASSERT_TRUE(shadowTarget.InitForTexture(&shadowMap, 1.0f, 50.0f));
  LightList lights;
  ASSERT_TRUE(lights.Reserve(1));
  LightRecord light;
  light.type = LightRecord::kShadowMappedLight;
  light.target = &shadowTarget;
  lights.Add(light);
  DrawInstance instance;
  instance.now = 90;  // halfway from key 1 to key 2
  ASSERT_TRUE(model.Draw(instance, true, lights));
  const CallLog& calls = device.recorder().Log();
  EXPECT_EQ(calls.Last("Effect::SetMatrixArray")->u(2), 2u);
  const CallRecord* drawn = calls.Last("DrawIndexedPrimitive");
  ASSERT_NE(drawn, nullptr);
  EXPECT_EQ(drawn->u(3), 6u);
  EXPECT_EQ(drawn->u(5), 2u);
  EXPECT_EQ(calls.Last("Effect::Pass")->u(0), 2u);
}

TEST(FullLoadTest, FailedBuildersLeaveALoadableModel) {
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

  // A shadow volume beyond 16-bit indices is left out; the model loads on.
  ModelDescription strip;
  const int triangles = 10924;  // 32772 corners + 6 per shared edge > 65535
  for (int v = 0; v < triangles + 2; ++v) {
    strip.positions.push_back({0.5f * static_cast<float>(v), static_cast<float>(v % 2), 0.0f});
  }
  for (int t = 0; t < triangles; ++t) {
    const uint16_t a = static_cast<uint16_t>(t), b = static_cast<uint16_t>(t + 1),
                   c = static_cast<uint16_t>(t + 2);
    // Alternate the winding so that neighbours share their edge in opposite directions.
    strip.indices.insert(strip.indices.end(), {t % 2 ? b : a, t % 2 ? a : b, c});
  }
  script = heroScript();
  script.tangents = false;
  writeHero(layout, strip, script);
  {
    RenderModel model;
    RenderModel shadow;
    ModelLoader loader;
    log.restart();
    ASSERT_EQ(loader.load("hero.x_out", LoadTargets{0, &model, &shadow}), 1u);
    EXPECT_EQ(log.errors().back(), "<error> creating shadow volume");
    EXPECT_FALSE(loader.shadowRequested);
    EXPECT_EQ(shadow.ready, 0);
    EXPECT_EQ(shadow.vertexBuffer.GetBuffer(), nullptr);
    EXPECT_EQ(model.ready, 1);
    EXPECT_EQ(model.indexBuffer.GetCount(), 3 * triangles);
  }
}

}  // namespace
