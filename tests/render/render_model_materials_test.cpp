#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "render/material_ranges.h"
#include "render/render_model.h"
#include "tests/render/drawable_model.h"
#include "tests/render/recorded_device_fixture.h"

namespace {

BoundedArray<int32_t> offsetsOf(const std::vector<int32_t>& values) {
  BoundedArray<int32_t> offsets;
  offsets.resize(static_cast<int64_t>(values.size()));
  for (size_t i = 0; i < values.size(); ++i) offsets[static_cast<int64_t>(i)] = values[i];
  return offsets;
}

TEST(MaterialRangesTest, EachMaterialCoversUpToTheNextOffset) {
  struct Case {
    std::vector<int32_t> offsets;
    int32_t materials;
    int32_t indices;
    std::vector<std::vector<uint32_t>> ranges;  // material, first, count
  };
  const std::vector<Case> cases = {
      {{}, 0, 12, {}},
      {{0}, 1, 12, {{0, 0, 12}}},
      {{0, 3, 3, 9}, 4, 12, {{0, 0, 3}, {2, 3, 6}, {3, 9, 3}}},  // empty material 1 skipped
      {{0, 12}, 2, 12, {{0, 0, 12}}},
      // Anything the renderer cannot trust draws the model whole.
      {{0, 4}, 2, 12, {}},
      {{3}, 1, 12, {}},
      {{0, 15}, 2, 12, {}},
      {{0, 9, 6}, 3, 12, {}},
      {{0, -3}, 2, 12, {}},
      {{0}, 2, 12, {}},
  };
  for (const Case& c : cases) {
    const BoundedArray<int32_t> offsets = offsetsOf(c.offsets);
    std::vector<std::vector<uint32_t>> ranges;
    for (const MaterialRange& range : materialRanges(offsets, c.materials, c.indices)) {
      ranges.push_back({static_cast<uint32_t>(range.material), range.firstIndex, range.indexCount});
    }
    EXPECT_EQ(ranges, c.ranges) << testing::PrintToString(c.offsets);
    EXPECT_EQ(materialProblems(offsets, c.materials, c.indices).empty(),
              !c.ranges.empty() || c.materials == 0)
        << testing::PrintToString(c.offsets);
  }
}

// What the effect held when one draw was issued.
struct DrawState {
  uint32_t pass = 0;
  uint32_t firstIndex = 0;
  uint32_t triangles = 0;
  std::vector<float> diffuse;
  float textured = -1;
  const void* colour = nullptr;
  const void* bump = nullptr;
};

class MaterialDrawTest : public RecordedDeviceTest {
 protected:
  void SetUp() override {
    RecordedDeviceTest::SetUp();
    rec().SetEffect(folders.writeEffect("skin.fx"), EffectSetup{});
    for (const char* name : {"wall.bmp", "wall_n.bmp", "head.bmp"}) folders.writeTexture(name);
    lights.Reserve(1);
    LightRecord light;
    light.type = LightRecord::kPlainLight;
    lights.Add(light);
  }
  // The quad of two triangles with one material per triangle, the second
  // given its own colour texture and no normal map.
  void prepare(RenderModel& model, const std::vector<int32_t>& offsets) {
    setCommands(model, {{'t', "wall.bmp"}, {'b', "wall_n.bmp"}, {'e', "skin.fx"}});
    uploadQuad(model);
    model.materialOffsets = offsetsOf(offsets);
    ASSERT_TRUE(model.materials.resize(static_cast<int64_t>(offsets.size())));
    for (int32_t i = 0; i < model.materials.count; ++i) {
      for (int v = 0; v < 4; ++v) model.materials[i].values[v] = 0.25f * static_cast<float>(i + v);
    }
    ASSERT_TRUE(model.materialTextureNames.resize(1));
    MaterialTextureEntry& entry = model.materialTextureNames[0];
    entry.material = 1;
    ASSERT_TRUE(entry.colour.resize(9));
    std::memcpy(entry.colour.data, "head.bmp", 9);
    ASSERT_TRUE(entry.bump.resize(1));
    entry.bump[0] = 0;
    ASSERT_TRUE(model.PrepareForDraw());
  }
  // Replays the calls from `from` on, keeping the parameters the effect holds.
  std::vector<DrawState> draws(size_t from) {
    std::vector<DrawState> result;
    std::map<std::string, std::vector<float>> values;
    std::map<std::string, const void*> textures;
    uint32_t pass = 0;
    const std::vector<CallRecord>& calls = log().All();
    for (size_t i = from; i < calls.size(); ++i) {
      const CallRecord& call = calls[i];
      if (call.op == "Effect::SetValue") values[call.s(0)] = call.AsArray<float>();
      if (call.op == "Effect::SetTexture") textures[call.s(0)] = call.p(1);
      if (call.op == "Effect::Pass") pass = static_cast<uint32_t>(call.u(0));
      if (call.op != "DrawIndexedPrimitive") continue;
      DrawState state;
      state.pass = pass;
      state.firstIndex = static_cast<uint32_t>(call.u(4));
      state.triangles = static_cast<uint32_t>(call.u(5));
      state.diffuse = values["MaterialDiffuse"];
      if (!values["MaterialTextured"].empty()) state.textured = values["MaterialTextured"][0];
      state.colour = textures["g_txScene"];
      state.bump = textures["g_txBump"];
      result.push_back(state);
    }
    return result;
  }
  static const void* held(const Texture& texture) {
    return static_cast<IDirect3DBaseTexture9*>(texture.GetD3DTexture());
  }

  DataFolders folders;
  LightList lights;
  DrawInstance instance;
};

TEST_F(MaterialDrawTest, EachMaterialRangeIsDrawnWithItsColourAndTextures) {
  RenderModel model;
  prepare(model, {0, 3});
  const size_t from = log().Size();
  ASSERT_TRUE(model.Draw(instance, true, lights));
  const std::vector<DrawState> drawn = draws(from);
  ASSERT_EQ(drawn.size(), 2u);
  // Material 0 keeps the model's textures; material 1 its own, without a normal map.
  EXPECT_EQ(drawn[0].firstIndex, 0u);
  EXPECT_EQ(drawn[0].triangles, 1u);
  EXPECT_EQ(drawn[0].diffuse, (std::vector<float>{0, 0.25f, 0.5f, 0.75f}));
  EXPECT_EQ(drawn[0].textured, 1.0f);
  EXPECT_EQ(drawn[0].colour, held(model.texture));
  EXPECT_EQ(drawn[0].bump, held(model.bumpTexture));
  EXPECT_EQ(drawn[1].firstIndex, 3u);
  EXPECT_EQ(drawn[1].triangles, 1u);
  EXPECT_EQ(drawn[1].diffuse, (std::vector<float>{0.25f, 0.5f, 0.75f, 1.0f}));
  EXPECT_EQ(drawn[1].colour, held(model.materialTextures[1].colour));
  EXPECT_NE(drawn[1].colour, nullptr);
  EXPECT_EQ(drawn[1].bump, nullptr);
  EXPECT_EQ(drawn[1].pass, 1u);
}

TEST_F(MaterialDrawTest, AMaterialWithoutAnyTextureIsDrawnInItsColourAlone) {
  RenderModel model;
  prepare(model, {0, 3});
  model.materialTextures[1].colour.Release();
  const size_t from = log().Size();
  ASSERT_TRUE(model.Draw(instance, true, lights));
  const std::vector<DrawState> drawn = draws(from);
  ASSERT_EQ(drawn.size(), 2u);
  EXPECT_EQ(drawn[1].textured, 0.0f);
  EXPECT_EQ(drawn[1].colour, nullptr);
}

TEST_F(MaterialDrawTest, OffsetsTheRendererCannotTrustDrawTheModelWhole) {
  RenderModel model;
  prepare(model, {0, 4});
  const size_t from = log().Size();
  ASSERT_TRUE(model.Draw(instance, true, lights));
  const std::vector<DrawState> drawn = draws(from);
  ASSERT_EQ(drawn.size(), 1u);
  EXPECT_EQ(drawn[0].triangles, 2u);
  EXPECT_TRUE(drawn[0].diffuse.empty());  // the effect keeps its defaults
}

TEST_F(MaterialDrawTest, PartsAreDrawnWithTheSameInstanceAfterTheModel) {
  RenderModel model;
  prepare(model, {0, 3});
  auto part = std::make_unique<RenderModel>();
  setCommands(*part, {{'e', "skin.fx"}});
  uploadQuad(*part);
  ASSERT_TRUE(part->PrepareForDraw());
  model.parts.push_back(std::move(part));

  instance.World.m[12] = 7;
  const size_t from = log().Size();
  ASSERT_TRUE(model.Draw(instance, true, lights));
  EXPECT_EQ(draws(from).size(), 3u);  // two ranges, then the part whole
  size_t worlds = 0;
  for (size_t i = from; i < log().Size(); ++i) {
    const CallRecord& call = log().All()[i];
    if (call.op != "Effect::SetMatrix" || call.s(0) != "World") continue;
    EXPECT_EQ(call.As<Matrix4>().m[12], 7.0f);
    ++worlds;
  }
  EXPECT_EQ(worlds, 2u) << testing::PrintToString(log().Ops(from));

  // A part that cannot draw fails the draw; the model itself is still drawn.
  model.parts[0]->ready = 0;
  const size_t again = log().Size();
  EXPECT_FALSE(model.Draw(instance, true, lights));
  EXPECT_EQ(draws(again).size(), 2u);
}

}  // namespace
