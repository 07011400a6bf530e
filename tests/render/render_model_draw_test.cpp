#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/record/record_effect.h"
#include "render/render_model.h"
#include "render/render_target.h"
#include "tests/render/drawable_model.h"
#include "tests/render/recorded_device_fixture.h"
#include "tests/support/log_capture.h"

namespace {

// What a draw call found in force when it was made: the effect's pass and
// parameters, the device's bindings and the call's own counts.
struct DrawMoment {
  int pass = -1;
  std::vector<uint8_t> world;
  std::vector<uint8_t> camViewProj;
  std::vector<uint8_t> lightDir;
  std::vector<uint8_t> liteViewProj;
  std::vector<uint8_t> smapSize;
  const RecordTexture* scene = nullptr;
  const RecordTexture* bump = nullptr;
  const RecordTexture* shadow = nullptr;
  DWORD fvf = 0;
  UINT stride = 0;
  bool indicesBound = false;
  bool streamBound = false;
  uint64_t vertices = 0;
  uint64_t primitives = 0;
};

template <typename T>
std::vector<uint8_t> Bytes(const T& value, size_t size = sizeof(T)) {
  const auto* begin = reinterpret_cast<const uint8_t*>(&value);
  return std::vector<uint8_t>(begin, begin + size);
}

const RecordTexture* RecordedTextureOf(const Texture& texture) {
  return dynamic_cast<const RecordTexture*>(texture.GetD3DTexture());
}

class DrawTest : public RecordedDeviceTest {
 protected:
  void SetUp() override {
    RecordedDeviceTest::SetUp();
    ASSERT_TRUE(shadowMap.CreateRenderTarget(512, 512, D3DFMT_R32F));
    ASSERT_TRUE(shadowTarget.InitForTexture(&shadowMap, 1.0f, 50.0f));
    instance.View.lookAt({0, 2, -5}, {0, 0, 0}, {0, 1, 0});
    instance.Proj.perspectiveFov(90, 1.0f, 1.0f, 100.0f);
    rec().Watch("DrawIndexedPrimitive", [this](const CallRecord& call) { noteDraw(call); });
  }
  void noteDraw(const CallRecord& call) {
    const auto* effect = dynamic_cast<const RecordEffect*>(drawn->effect.GetEffect());
    ASSERT_NE(effect, nullptr);
    DrawMoment moment;
    moment.pass = effect->CurrentPass();
    moment.world = effect->Value("World");
    moment.camViewProj = effect->Value("CamViewProj");
    moment.lightDir = effect->Value("LightDir");
    moment.liteViewProj = effect->Value("LiteViewProj");
    moment.smapSize = effect->Value("SMAP_SIZE");
    moment.scene = effect->TextureOf("g_txScene");
    moment.bump = effect->TextureOf("g_txBump");
    moment.shadow = effect->TextureOf("ShadowTexture");
    moment.fvf = recorded().FVF();
    moment.stride = recorded().StreamStride(0);
    moment.indicesBound = recorded().Indices() != nullptr;
    moment.streamBound = recorded().StreamSource(0) != nullptr;
    moment.vertices = call.u(3);
    moment.primitives = call.u(5);
    draws.push_back(moment);
  }
  void TearDown() override {
    shadowTarget.Reset();
    shadowMap.Release();
    RecordedDeviceTest::TearDown();
  }
  // A quad with colour and bump textures and an effect of that many passes.
  void prepare(RenderModel& model, UINT passes) {
    drawn = &model;
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
  RenderModel* drawn = nullptr;
  std::vector<DrawMoment> draws;
};

TEST_F(DrawTest, RigidModelIsDrawnOncePerLightInItsPass) {
  RenderModel model;
  prepare(model, 4);
  instance.animindex = 42;  // rigid models have no animation to pick
  instance.World.setIdentity();
  instance.World.m[12] = 3.0f;
  ASSERT_TRUE(model.Draw(instance, false, lights({1, 2}, &shadowTarget)));
  EXPECT_TRUE(newLines().empty());

  ASSERT_EQ(draws.size(), 2u) << "one draw per light";
  const float direction[3] = {1, 0, 0};
  for (const DrawMoment& draw : draws) {
    EXPECT_EQ(draw.world, Bytes(instance.World));
    EXPECT_EQ(draw.camViewProj, Bytes(instance.View * instance.Proj));
    EXPECT_EQ(draw.lightDir, Bytes(direction));
    EXPECT_EQ(draw.scene, RecordedTextureOf(model.texture));
    EXPECT_EQ(draw.bump, RecordedTextureOf(model.bumpTexture));
    EXPECT_NE(draw.scene, nullptr);
    EXPECT_NE(draw.bump, nullptr);
    EXPECT_EQ(draw.fvf, 0x002u);
    EXPECT_EQ(draw.stride, 12u);
    EXPECT_TRUE(draw.indicesBound);
    EXPECT_TRUE(draw.streamBound);
    EXPECT_EQ(draw.vertices, 4u);    // 48 bytes at stride 12
    EXPECT_EQ(draw.primitives, 2u);  // 6 indices
  }
  // The plain light draws in pass 1 without shadow parameters; the
  // shadow-mapped one in pass shadowmode + 2 with its light's.
  EXPECT_EQ(draws[0].pass, 1);
  EXPECT_TRUE(draws[0].liteViewProj.empty());
  EXPECT_EQ(draws[1].pass, 2);
  Matrix4 view, proj;
  shadowTarget.GetView(view);
  shadowTarget.GetProj(proj);
  EXPECT_EQ(draws[1].liteViewProj, Bytes(view * proj));
  EXPECT_EQ(draws[1].shadow, RecordedTextureOf(shadowMap));
  EXPECT_EQ(draws[1].smapSize, Bytes(512.0f));
  const auto* effect = dynamic_cast<const RecordEffect*>(model.effect.GetEffect());
  EXPECT_FALSE(effect->IsBegun()) << "the technique ends with the draw";
}

TEST_F(DrawTest, FailingLightsAreSkippedWithTheirLines) {
  RenderModel model;
  prepare(model, 3);  // passes 0, 1, 2
  instance.shadowmode = 1;
  LightList mixed = lights({5, 2, 2, 1}, &shadowTarget);
  mixed.records[1].target = nullptr;
  size_t from = log().Size();
  ASSERT_TRUE(model.Draw(instance, true, mixed));
  EXPECT_EQ(newLines(),
            (std::vector<std::string>{"passnum:  -1", "no target set", "worng passnum  3"}));
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
  EXPECT_FALSE(dynamic_cast<const RecordEffect*>(model.effect.GetEffect())->IsBegun())
      << "the technique is ended";
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
  EXPECT_EQ(newLines(),
            (std::vector<std::string>{"SetMatrix(World) failed", "SetMatrix(wievproj) failed",
                                      "setting LightDir failed", "errorcode:  8876086c",
                                      "<error> Tech set failed",
                                      "<error> RenderModel::Draw() empty light list"}));
  EXPECT_EQ(log().Count("Effect::Pass"), 0u);
  EXPECT_EQ(log().Count("Effect::End"), 0u);
}

TEST_F(DrawTest, ModelWithoutAnEffectPreparesButEveryDrawFailsAtTheTechnique) {
  RenderModel plain;
  uploadQuad(plain);
  EXPECT_TRUE(plain.PrepareForDraw());
  EXPECT_FALSE(plain.Draw(instance, true, lights({1}, nullptr)));
  EXPECT_EQ(newLines(),
            (std::vector<std::string>{"PUSHTEXTCOMMANDS ", "- no texture", "- no bumptex",
                                      "- no effect file?", "<error> Tech set failed"}));
}

}  // namespace
