#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/record/record_buffers.h"
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
    Matrix4 lightView;
    lightView.lookAt({-10, 0, 0}, {1, 0, 0}, {0, 1, 0});
    shadowTarget.SetView(lightView);
  }
  void TearDown() override {
    shadowTarget.Reset();
    shadowMap.Release();
    RecordedDeviceTest::TearDown();
  }

  // A quad whose effect "skin.fx" has the given passes (and parameters, when
  // given), prepared for drawing.
  void prepare(RenderModel& model, UINT passes, const std::map<std::string, UINT>& parameters = {}) {
    EffectSetup setup;
    setup.passes = passes;
    setup.parameters = parameters;
    rec().SetEffect(folders.writeEffect("skin.fx"), setup);
    setCommands(model, {{'e', "skin.fx"}});
    uploadQuad(model);
    ASSERT_TRUE(model.PrepareForDraw());
    logStart = logLines.lines().size();
  }

  static LightRecord light(uint32_t type, RenderTarget* target = nullptr) {
    LightRecord record;
    record.type = type;
    record.position = {-10, 0, 0};
    record.direction = {1, 0, 0};
    record.target = target;
    return record;
  }
  static LightList lightsOf(const std::vector<LightRecord>& records) {
    LightList list;
    EXPECT_TRUE(list.Reserve(static_cast<int32_t>(records.size()) + 1));
    for (const LightRecord& record : records) EXPECT_TRUE(list.Add(record));
    return list;
  }
  static DrawInstance camera() {
    DrawInstance instance;
    instance.World.rotationY(30);
    instance.View.lookAt({0, 2, -5}, {0, 0, 0}, {0, 1, 0});
    instance.Proj.perspectiveFov(90, 1.0f, 1.0f, 100.0f);
    return instance;
  }
  // Log lines written since prepare().
  std::vector<std::string> newLines() const {
    const std::vector<std::string> all = logLines.lines();
    return std::vector<std::string>(all.begin() + static_cast<long>(logStart), all.end());
  }
  // Makes the next effect setter of that name fail.
  void failParameter(const std::string& op, const std::string& name) {
    rec().Fail(op).When([name](const CallRecord& call) { return call.s(0) == name; }).Times(1);
  }

  LogCapture logLines;
  DataFolders folders;
  Texture shadowMap;
  RenderTarget shadowTarget;
  size_t logStart = 0;
};

bool sameMatrix(const std::vector<uint8_t>& bytes, const Matrix4& expected) {
  return bytes.size() == sizeof expected.m && std::memcmp(bytes.data(), expected.m, bytes.size()) == 0;
}

TEST_F(DrawTest, RigidModelIsDrawnOncePerLightInItsPass) {
  RenderModel model;
  prepare(model, 4);
  DrawInstance instance = camera();
  instance.animindex = 42;  // a rigid model has no animation to pick
  const LightList lights = lightsOf({light(1), light(2, &shadowTarget)});

  const size_t from = log().Size();
  const BoundedArray<Matrix4>* palette = &model.palette;
  ASSERT_TRUE(model.Draw(instance, false, lights, &palette));  // the draw flag only stops animated models
  EXPECT_EQ(palette, nullptr);
  EXPECT_EQ(log().Ops(from), (std::vector<std::string>{
                                 "Effect::SetMatrix", "Effect::SetMatrix", "Effect::SetValue",
                                 "SetIndices", "SetStreamSource", "SetFVF", "Effect::SetTexture",
                                 "Effect::SetTechnique", "Effect::Begin",
                                 "Effect::Pass", "DrawIndexedPrimitive",
                                 "Effect::SetMatrix", "Effect::SetTexture", "Effect::SetValue",
                                 "Effect::Pass", "DrawIndexedPrimitive", "Effect::End"}));
  EXPECT_TRUE(newLines().empty());

  const std::vector<const CallRecord*> matrices = log().Named("Effect::SetMatrix");
  ASSERT_EQ(matrices.size(), 3u);
  EXPECT_EQ(matrices[0]->s(0), "World");
  EXPECT_TRUE(sameMatrix(matrices[0]->data, instance.World));
  EXPECT_EQ(matrices[1]->s(0), "CamViewProj");
  EXPECT_TRUE(sameMatrix(matrices[1]->data, instance.View * instance.Proj));
  Matrix4 lightView, lightProj;
  shadowTarget.GetView(lightView);
  shadowTarget.GetProj(lightProj);
  EXPECT_EQ(matrices[2]->s(0), "LiteViewProj");
  EXPECT_TRUE(sameMatrix(matrices[2]->data, lightView * lightProj));

  const std::vector<const CallRecord*> values = log().Named("Effect::SetValue");
  EXPECT_EQ(values[0]->s(0), "LightDir");
  EXPECT_EQ(values[0]->AsArray<float>(), (std::vector<float>{1, 0, 0}));
  EXPECT_EQ(values[1]->s(0), "SMAP_SIZE");
  EXPECT_EQ(values[1]->AsArray<float>(), std::vector<float>{512.0f});
  const std::vector<const CallRecord*> textures = log().Named("Effect::SetTexture");
  EXPECT_EQ(textures[0]->s(0), "g_txScene");
  EXPECT_EQ(textures[0]->p(1), nullptr);  // no 't' command: unbound
  EXPECT_EQ(textures[1]->s(0), "ShadowTexture");
  EXPECT_EQ(textures[1]->p(1), shadowMap.GetD3DTexture());

  const std::vector<const CallRecord*> passes = log().Named("Effect::Pass");
  EXPECT_EQ(passes[0]->u(0), 1u);
  EXPECT_EQ(passes[1]->u(0), 2u);  // shadowmode 0 + 2
  const CallRecord* drawCall = log().Last("DrawIndexedPrimitive");
  EXPECT_EQ(drawCall->u(0), D3DPT_TRIANGLELIST);
  EXPECT_EQ(drawCall->i(1), 0);
  EXPECT_EQ(drawCall->u(2), 0u);
  EXPECT_EQ(drawCall->u(3), 4u);  // vertices: 48 bytes / stride 12
  EXPECT_EQ(drawCall->u(4), 0u);
  EXPECT_EQ(drawCall->u(5), 2u);  // triangles
  EXPECT_EQ(recorded().Indices(), model.indexBuffer.GetBuffer());
  EXPECT_EQ(recorded().StreamSource(0), model.vertexBuffer.GetBuffer());
  EXPECT_EQ(recorded().StreamStride(0), 12u);
  EXPECT_EQ(recorded().FVF(), static_cast<DWORD>(D3DFVF_XYZ));
}

TEST_F(DrawTest, BumpTextureIsBoundBesideTheColourTexture) {
  RenderModel model;
  folders.writeTexture("wall.bmp");
  folders.writeTexture("wall_n.bmp");
  rec().SetEffect(folders.writeEffect("bump.fx"), EffectSetup{});
  setCommands(model, {{'t', "wall.bmp"}, {'b', "wall_n.bmp"}, {'e', "bump.fx"}});
  uploadQuad(model);
  ASSERT_TRUE(model.PrepareForDraw());
  ASSERT_TRUE(model.Draw(camera(), true, lightsOf({light(1)})));
  const std::vector<const CallRecord*> textures = log().Named("Effect::SetTexture");
  ASSERT_EQ(textures.size(), 2u);
  EXPECT_EQ(textures[0]->s(0), "g_txScene");
  EXPECT_EQ(textures[0]->p(1), model.texture.GetD3DTexture());
  EXPECT_EQ(textures[1]->s(0), "g_txBump");
  EXPECT_EQ(textures[1]->p(1), model.bumpTexture.GetD3DTexture());
}

TEST_F(DrawTest, FailingLightsAreSkippedWithTheirLines) {
  RenderModel model;
  prepare(model, 3);  // passes 0, 1, 2
  DrawInstance instance = camera();
  instance.shadowmode = 1;  // shadow-mapped lights in pass 3
  const LightList lights = lightsOf({light(5), light(2), light(2, &shadowTarget), light(1)});
  ASSERT_TRUE(model.Draw(instance, true, lights));
  EXPECT_EQ(newLines(), (std::vector<std::string>{"passnum:  -1", "no target set", "worng passnum  3"}));
  ASSERT_EQ(log().Count("DrawIndexedPrimitive"), 1u);  // only the plain light
  EXPECT_EQ(log().Last("Effect::Pass")->u(0), 1u);
  EXPECT_EQ(log().Count("Effect::End"), 1u);

  // A shadow pass below 1 is refused after its parameters are set.
  instance.shadowmode = -2;
  logStart = logLines.lines().size();
  ASSERT_TRUE(model.Draw(instance, true, lightsOf({light(2, &shadowTarget)})));
  EXPECT_EQ(newLines(), std::vector<std::string>{"passnum:  0"});

  // Failed shadow parameters and a failed draw skip only their light.
  instance.shadowmode = 0;
  logStart = logLines.lines().size();
  failParameter("Effect::SetMatrix", "LiteViewProj");
  failParameter("Effect::SetTexture", "ShadowTexture");
  rec().Fail("DrawIndexedPrimitive").Times(1);
  const size_t drawsBefore = log().Count("DrawIndexedPrimitive");
  ASSERT_TRUE(model.Draw(instance, true,
                         lightsOf({light(2, &shadowTarget), light(2, &shadowTarget), light(1), light(1)})));
  EXPECT_EQ(newLines(), (std::vector<std::string>{"SetMatrix(LiteViewProj) failed",
                                                  "setting ShadowTexture failed",
                                                  "DrawIndexedPrimitive failed!"}));
  EXPECT_EQ(log().Count("DrawIndexedPrimitive") - drawsBefore, 2u);

  // SMAP_SIZE ends the whole draw, with the technique ended.
  logStart = logLines.lines().size();
  failParameter("Effect::SetValue", "SMAP_SIZE");
  const size_t from = log().Size();
  EXPECT_FALSE(model.Draw(instance, true, lightsOf({light(2, &shadowTarget), light(1)})));
  EXPECT_EQ(newLines(), std::vector<std::string>{"SMAP_SIZE set failed"});
  const std::vector<std::string> ops = log().Ops(from);
  EXPECT_EQ(ops.back(), "Effect::End");
  EXPECT_EQ(std::count(ops.begin(), ops.end(), "DrawIndexedPrimitive"), 0);
}

TEST_F(DrawTest, DrawStopsAtTheFirstFailingStep) {
  RenderModel model;
  prepare(model, 4);
  const LightList lights = lightsOf({light(1)});
  struct Case {
    std::function<void()> arrange;
    std::vector<std::string> lines;
  };
  const std::vector<Case> cases = {
      {[&] { failParameter("Effect::SetMatrix", "World"); }, {"SetMatrix(World) failed"}},
      {[&] { failParameter("Effect::SetMatrix", "CamViewProj"); }, {"SetMatrix(wievproj) failed"}},
      {[&] { failParameter("Effect::SetValue", "LightDir"); },
       {"setting LightDir failed", "errorcode:  8876086c"}},
      {[&] { rec().Fail("Effect::Begin").Times(1); }, {"<error> Tech set failed"}},
  };
  for (const Case& c : cases) {
    logStart = logLines.lines().size();
    c.arrange();
    const size_t from = log().Size();
    EXPECT_FALSE(model.Draw(camera(), true, lights)) << c.lines[0];
    EXPECT_EQ(newLines(), c.lines);
    EXPECT_EQ(log().Count("Effect::Pass"), 0u) << c.lines[0];
    const std::vector<std::string> ops = log().Ops(from);
    EXPECT_EQ(std::count(ops.begin(), ops.end(), "Effect::End"), 0) << c.lines[0];
  }

  // Lights are read from the first one on, so an empty list draws nothing.
  logStart = logLines.lines().size();
  const size_t from = log().Size();
  EXPECT_FALSE(model.Draw(camera(), true, LightList{}));
  EXPECT_EQ(newLines(), std::vector<std::string>{"<error> RenderModel::Draw() empty light list"});
  EXPECT_EQ(log().Size(), from);

  // Not ready: nothing at all.
  model.ready = 0;
  EXPECT_FALSE(model.Draw(camera(), true, lights));
  EXPECT_EQ(log().Size(), from);
}

TEST_F(DrawTest, ModelWithoutAnEffectPreparesButEveryDrawFailsAtTheTechnique) {
  RenderModel model;
  uploadQuad(model);
  ASSERT_TRUE(model.PrepareForDraw());
  EXPECT_EQ(logLines.lines(), (std::vector<std::string>{"PUSHTEXTCOMMANDS ", "- no texture",
                                                        "- no bumptex", "- no effect file?"}));
  logStart = logLines.lines().size();
  for (int frame = 0; frame < 2; ++frame) {
    EXPECT_FALSE(model.Draw(camera(), true, lightsOf({light(1)})));
  }
  EXPECT_EQ(newLines(), (std::vector<std::string>{"<error> Tech set failed", "<error> Tech set failed"}));
  EXPECT_EQ(log().Count("DrawIndexedPrimitive"), 0u);
}

}  // namespace
