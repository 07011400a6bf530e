#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "render/render_model.h"
#include "render/render_target.h"
#include "tests/render/drawable_model.h"
#include "tests/render/recorded_device_fixture.h"
#include "tests/support/log_capture.h"

namespace {

class DrawTest : public RecordedDeviceTest {
 protected:
  void SetUp() override {
    RecordedDeviceTest::SetUp();
    ASSERT_TRUE(shadowMap.CreateRenderTarget(512, 512, D3DFMT_R32F));
    ASSERT_TRUE(shadowTarget.InitForTexture(&shadowMap, 1.0f, 50.0f));
    instance.View.lookAt({0, 2, -5}, {0, 0, 0}, {0, 1, 0});
    instance.Proj.perspectiveFov(90, 1.0f, 1.0f, 100.0f);
  }
  void TearDown() override {
    shadowTarget.Reset();
    shadowMap.Release();
    RecordedDeviceTest::TearDown();
  }
  // A quad with colour and bump textures and an effect of that many passes.
  void prepare(RenderModel& model, UINT passes) {
    EffectSetup setup;
    setup.passes = passes;
    rec().SetEffect(folders.writeEffect("skin.fx"), setup);
    folders.writeTexture("wall.bmp");
    folders.writeTexture("wall_n.bmp");
    setCommands(model, {{'t', "wall.bmp"}, {'b', "wall_n.bmp"}, {'e', "skin.fx"}});
    uploadQuad(model);
    ASSERT_TRUE(model.PrepareForDraw());
    newLines();
  }
  LightList lights(const std::vector<uint32_t>& types, RenderTarget* target) {
    LightList list;
    EXPECT_TRUE(list.Reserve(static_cast<int32_t>(types.size())));
    for (uint32_t type : types) {
      LightRecord light;
      light.type = type;
      light.direction = {1, 0, 0};
      light.target = target;
      list.Add(light);
    }
    return list;
  }
  std::vector<std::string> newLines() {
    std::vector<std::string> all = logLines.lines();
    std::vector<std::string> fresh(all.begin() + static_cast<long>(seen), all.end());
    seen = all.size();
    return fresh;
  }
  void failParameter(const std::string& op, const std::string& name) {
    rec().Fail(op).When([name](const CallRecord& call) { return call.s(0) == name; }).Times(1);
  }
  size_t count(size_t from, const std::string& op) {
    const std::vector<std::string> ops = log().Ops(from);
    return static_cast<size_t>(std::count(ops.begin(), ops.end(), op));
  }

  LogCapture logLines;
  size_t seen = 0;
  DataFolders folders;
  Texture shadowMap;
  RenderTarget shadowTarget;
  DrawInstance instance;
};

TEST_F(DrawTest, RigidModelIsDrawnOncePerLightInItsPass) {
  RenderModel model;
  prepare(model, 4);
  instance.animindex = 42;  // rigid models have no animation to pick
  const size_t from = log().Size();
  ASSERT_TRUE(model.Draw(instance, false, lights({1, 2}, &shadowTarget)));
  EXPECT_EQ(log().Ops(from), (std::vector<std::string>{
                                 "Effect::SetMatrix", "Effect::SetMatrix", "Effect::SetValue",
                                 "SetIndices", "SetStreamSource", "SetFVF", "Effect::SetTexture",
                                 "Effect::SetTexture", "Effect::SetTechnique", "Effect::Begin",
                                 "Effect::Pass", "DrawIndexedPrimitive",
                                 "Effect::SetMatrix", "Effect::SetTexture", "Effect::SetValue",
                                 "Effect::Pass", "DrawIndexedPrimitive", "Effect::End"}));
  EXPECT_TRUE(newLines().empty());

  Matrix4 view, proj;
  shadowTarget.GetView(view);
  shadowTarget.GetProj(proj);
  const auto matrices = log().Named("Effect::SetMatrix");
  EXPECT_EQ(std::memcmp(matrices[1]->data.data(), (instance.View * instance.Proj).m, 64), 0);
  EXPECT_EQ(std::memcmp(matrices[2]->data.data(), (view * proj).m, 64), 0);
  EXPECT_EQ(log().Named("Effect::SetTexture")[1]->s(0), "g_txBump");
  EXPECT_EQ(log().Last("Effect::SetValue")->AsArray<float>(), std::vector<float>{512.0f});
  EXPECT_EQ(log().Named("Effect::Pass")[1]->u(0), 2u);  // shadowmode 0 + 2
  EXPECT_EQ(log().Last("DrawIndexedPrimitive")->u(3), 4u);  // 48 bytes at stride 12
}

TEST_F(DrawTest, FailingLightsAreSkippedWithTheirLines) {
  RenderModel model;
  prepare(model, 3);  // passes 0, 1, 2
  instance.shadowmode = 1;
  LightList mixed = lights({5, 2, 2, 1}, &shadowTarget);
  mixed.records[1].target = nullptr;
  size_t from = log().Size();
  ASSERT_TRUE(model.Draw(instance, true, mixed));
  EXPECT_EQ(newLines(), (std::vector<std::string>{"passnum:  -1", "no target set", "worng passnum  3"}));
  EXPECT_EQ(count(from, "DrawIndexedPrimitive"), 1u);
  EXPECT_EQ(count(from, "Effect::End"), 1u);

  instance.shadowmode = 0;
  failParameter("Effect::SetMatrix", "LiteViewProj");
  failParameter("Effect::SetTexture", "ShadowTexture");
  rec().Fail("DrawIndexedPrimitive").Times(1);
  from = log().Size();
  ASSERT_TRUE(model.Draw(instance, true, lights({2, 2, 1, 1}, &shadowTarget)));
  EXPECT_EQ(newLines(), (std::vector<std::string>{"SetMatrix(LiteViewProj) failed",
                                                  "setting ShadowTexture failed",
                                                  "DrawIndexedPrimitive failed!"}));
  EXPECT_EQ(count(from, "DrawIndexedPrimitive"), 2u);

  // Only SMAP_SIZE ends the whole draw, with the technique ended.
  failParameter("Effect::SetValue", "SMAP_SIZE");
  from = log().Size();
  EXPECT_FALSE(model.Draw(instance, true, lights({2, 1}, &shadowTarget)));
  EXPECT_EQ(newLines(), std::vector<std::string>{"SMAP_SIZE set failed"});
  EXPECT_EQ(log().Ops(from).back(), "Effect::End");
  EXPECT_EQ(count(from, "DrawIndexedPrimitive"), 0u);
}

TEST_F(DrawTest, DrawStopsAtTheFirstFailingStep) {
  RenderModel model;
  prepare(model, 4);
  failParameter("Effect::SetMatrix", "World");
  EXPECT_FALSE(model.Draw(instance, true, lights({1}, nullptr)));
  failParameter("Effect::SetMatrix", "CamViewProj");
  EXPECT_FALSE(model.Draw(instance, true, lights({1}, nullptr)));
  failParameter("Effect::SetValue", "LightDir");
  EXPECT_FALSE(model.Draw(instance, true, lights({1}, nullptr)));
  rec().Fail("Effect::Begin").Times(1);
  EXPECT_FALSE(model.Draw(instance, true, lights({1}, nullptr)));
  // The first light's direction is always read: an empty list cannot be drawn.
  const size_t from = log().Size();
  EXPECT_FALSE(model.Draw(instance, true, LightList{}));
  EXPECT_EQ(log().Size(), from);
  EXPECT_EQ(newLines(), (std::vector<std::string>{
                            "SetMatrix(World) failed", "SetMatrix(wievproj) failed",
                            "setting LightDir failed", "errorcode:  8876086c",
                            "<error> Tech set failed", "<error> RenderModel::Draw() empty light list"}));
  EXPECT_EQ(log().Count("Effect::Pass"), 0u);
  EXPECT_EQ(log().Count("Effect::End"), 0u);
}

TEST_F(DrawTest, ModelWithoutAnEffectPreparesButEveryDrawFailsAtTheTechnique) {
  RenderModel plain;
  uploadQuad(plain);
  EXPECT_TRUE(plain.PrepareForDraw());
  EXPECT_FALSE(plain.Draw(instance, true, lights({1}, nullptr)));
  EXPECT_EQ(newLines(), (std::vector<std::string>{"PUSHTEXTCOMMANDS ", "- no texture", "- no bumptex",
                                                  "- no effect file?", "<error> Tech set failed"}));
}

}  // namespace
