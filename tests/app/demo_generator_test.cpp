#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>

#include "app/viewer_controls.h"
#include "app/viewer_scene.h"
#include "model/model_loader.h"
#include "tests/app/viewer_folder.h"
#include "tests/render/recorded_device_fixture.h"
#include "tools/demo_generator/box_mesh.h"
#include "tools/demo_generator/demo_font.h"
#include "tools/demo_generator/demo_writer.h"

namespace {

constexpr char kDejaVu[] = "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf";

bool haveFont() { return std::filesystem::exists(kDejaVu); }

Vector3 plus(Vector3 a, const Vector3& b) {
  a.add(b);
  return a;
}
Vector3 scaled(const Vector3& v, float s) { return {v.x * s, v.y * s, v.z * s}; }
float distance(const Vector3& a, const Vector3& b) {
  return static_cast<float>(std::sqrt(a.subtract(b).dot(a.subtract(b))));
}

// Where the default camera shows a point: normalised device coordinates.
Vector3 cameraNdc(const Vector3& point) {
  Vector3 eye;
  Vector3 direction;
  ComputeOrbit(&eye, &direction, ViewerControls::kStartAngle, ViewerControls::kStartDistance);
  Matrix4 view;
  view.lookAt(eye, plus(eye, direction), {0, 1, 0});
  Matrix4 projection;
  projection.perspectiveFov(ViewerScene::kFieldOfViewDegrees, 1.0f, ViewerScene::kCameraNear,
                            ViewerScene::kCameraFar);
  const Matrix4 viewProjection = view * projection;
  const Vector3 p = transformPoint(point, viewProjection);
  const float w = point.x * viewProjection.at(0, 3) + point.y * viewProjection.at(1, 3) +
                  point.z * viewProjection.at(2, 3) + viewProjection.at(3, 3);
  return {p.x / w, p.y / w, p.z / w};
}

bool onScreen(const Vector3& ndc) {
  return std::fabs(ndc.x) < 1.0f && std::fabs(ndc.y) < 1.0f && ndc.z > 0.0f && ndc.z < 1.0f;
}

void expectWoundOutwards(const ModelDescription& model, const char* what) {
  ASSERT_EQ(model.indices.size() % 3, 0u) << what;
  for (size_t t = 0; t < model.indices.size(); t += 3) {
    const Vector3& a = model.positions[model.indices[t]];
    const Vector3& b = model.positions[model.indices[t + 1]];
    const Vector3& c = model.positions[model.indices[t + 2]];
    const Vector3 facing = b.subtract(a).cross(c.subtract(a));
    for (int corner = 0; corner < 3; ++corner) {
      EXPECT_GT(facing.dot(model.normals[model.indices[t + corner]]), 0.0)
          << what << " triangle " << t / 3;
    }
  }
}

class DemoFigure : public RecordedDeviceTest {
 protected:
  ViewerFolder folder;
};

}  // namespace

TEST(DemoModels, FacesAreWoundOutwardsAndEveryVertexFollowsOneBone) {
  const DemoModel figure = makeFigure();
  const DemoModel wall = makeWall();
  expectWoundOutwards(figure.model, "figure");
  expectWoundOutwards(wall.model, "wall");

  // Weights (1, 0, 0, 0) and four equal indices: one bone, however a shader
  // combines them.
  const ModelDescription& skin = figure.model;
  ASSERT_EQ(skin.blendWeights.size(), 4 * skin.positions.size());
  ASSERT_EQ(skin.paletteIndices.size(), skin.blendWeights.size());
  for (size_t i = 0; i < skin.blendWeights.size(); ++i) {
    EXPECT_EQ(skin.blendWeights[i], i % 4 == 0 ? 1.0f : 0.0f);
    EXPECT_EQ(skin.paletteIndices[i], skin.paletteIndices[i - i % 4]);
    EXPECT_LT(skin.paletteIndices[i], skin.bones.size());
  }
}

TEST(DemoModels, DefaultCameraSeesTheFigureAndItsShadowOnTheWall) {
  // The layout the models were made for is the viewer's.
  EXPECT_EQ(distance(demo::kWallOffset, ViewerScene::kWallOffset), 0.0f);
  EXPECT_EQ(distance(demo::kLightPosition, ViewerScene::kLightPosition), 0.0f);

  // The wall's front, where the viewer draws it, lies on the planned plane.
  const DemoModel wall = makeWall();
  size_t frontCorners = 0;
  for (size_t v = 0; v < wall.model.positions.size(); ++v) {
    if (wall.model.normals[v].dot(demo::kWallNormal) < 0.999) continue;
    const Vector3 world = plus(wall.model.positions[v], demo::kWallOffset);
    EXPECT_NEAR(world.subtract(demo::kWallCentre).dot(demo::kWallNormal), 0.0, 1e-4);
    ++frontCorners;
  }
  EXPECT_EQ(frontCorners, 4u);
  // It faces both the light and the camera.
  EXPECT_LT(demo::kWallNormal.dot(demo::kWallCentre.subtract(demo::kLightPosition)), 0.0);
  EXPECT_LT(demo::kWallNormal.dot(demo::kWallCentre.subtract(demo::kCameraEye)), 0.0);

  // Every point of the figure is on screen, right of the shadow-map display
  // (the left half), and so is its shadow: the light's ray through it meets
  // the wall's front within the wall, behind the figure.
  const DemoModel figure = makeFigure();
  for (const Vector3& point : figure.model.positions) {
    EXPECT_TRUE(onScreen(cameraNdc(point)));
    EXPECT_GT(cameraNdc(point).x, 0.0f);
    const Vector3 ray = point.subtract(demo::kLightPosition);
    const double t = demo::kWallCentre.subtract(demo::kLightPosition).dot(demo::kWallNormal) /
                     ray.dot(demo::kWallNormal);
    ASSERT_GT(t, 1.0) << "the wall is behind the figure as the light sees it";
    const Vector3 shadow = plus(demo::kLightPosition, scaled(ray, float(t)));
    const Vector3 onWall = shadow.subtract(demo::kWallCentre);
    EXPECT_LT(std::fabs(onWall.dot(demo::kWallAlong)), demo::kWallHalfWidth);
    EXPECT_LT(std::fabs(onWall.y), demo::kWallHalfHeight);
    EXPECT_TRUE(onScreen(cameraNdc(shadow)));
    // Inside the light's 90-degree view along +x.
    EXPECT_GT(ray.x, std::fabs(ray.y));
    EXPECT_GT(ray.x, std::fabs(ray.z));
  }
}

TEST_F(DemoFigure, LoadsAsASkinnedModelWhoseJointsHoldTogetherInEveryKey) {
  folder.writeFigure();
  RenderModel model;
  RenderModel shadowVolume;
  ModelLoader loader;
  LoadTargets targets{1, &model, &shadowVolume};
  ASSERT_EQ(loader.load(demo::kFigureModel, targets), 1u);
  EXPECT_EQ(shadowVolume.ready, 1);
  EXPECT_NE(model.vertexBuffer.GetFVF() & D3DFVF_TEXCOORDSIZE3(1), 0u) << "tangents were built";

  const int bones = model.bones.count;
  EXPECT_GE(bones, 12);
  ASSERT_NE(model.GetAnimations(), nullptr);
  ASSERT_EQ(model.GetAnimations()->count, 3);
  EXPECT_STREQ(model.animations[2].name, "walk");

  // A child's joint is where its parent carries it, whatever the key.
  const std::vector<FigureBone>& skeleton = figureSkeleton();
  ASSERT_EQ(skeleton.size(), size_t(bones));
  BoundedArray<Matrix4> palette;
  ASSERT_TRUE(palette.resize(bones));
  const int keys = model.bones[0].keys.count;
  for (int key = 0; key < keys; ++key) {
    ASSERT_TRUE(model.BuildBonePalette(key, key, 0.0f, palette));
    for (int b = 0; b < bones; ++b) {
      if (skeleton[size_t(b)].parent < 0) continue;
      const Matrix4 bind = inverseRigid(model.bones[b].offset);
      const Vector3 joint{bind.at(3, 0), bind.at(3, 1), bind.at(3, 2)};
      const Vector3 byChild = transformPoint(joint, palette[b]);
      const Vector3 byParent = transformPoint(joint, palette[skeleton[size_t(b)].parent]);
      EXPECT_LT(distance(byChild, byParent), 1e-4f) << skeleton[size_t(b)].name << " key " << key;
    }
  }

  // It turns to face between the camera and the light: the nose points
  // towards -x and -z.
  const Matrix4 head = inverseRigid(model.bones[4].offset);
  const Vector3 nose =
      transformPoint({0.0f, 0.35f, -0.52f}, head).subtract(transformPoint({}, head));
  EXPECT_LT(nose.x, -0.3f);
  EXPECT_LT(nose.z, -0.3f);
}

TEST(DemoFont, EveryPrintableCharacterHasInkInsideTheRectangleItIsDrawnFrom) {
  if (!haveFont()) GTEST_SKIP() << "no " << kDejaVu;
  FontAtlas atlas;
  std::string error;
  ASSERT_TRUE(rasteriseFont(kDejaVu, &atlas, &error)) << error;
  ASSERT_EQ(atlas.glyphs.size(), 256u);
  for (int code = 0; code < 256; ++code) {
    const FontGlyph& glyph = atlas.glyphs[size_t(code)];
    EXPECT_GE(glyph.advance, 6) << code;
    // The rectangle spans advance x 16 texels of the 256 x 256 image.
    EXPECT_FLOAT_EQ((glyph.rect.uright - glyph.rect.uleft) * 256.0f, float(glyph.advance)) << code;
    EXPECT_FLOAT_EQ((glyph.rect.vbottom - glyph.rect.vtop) * 256.0f, 16.0f) << code;
    const int left = int(glyph.rect.uleft * 256.0f);
    const int top = int(glyph.rect.vtop * 256.0f);
    int ink = 0;
    for (int y = 0; y < 16; ++y) {
      for (int x = 0; x < glyph.advance; ++x) ink += atlas.image.at(left + x, top + y)[0] > 64;
    }
    EXPECT_EQ(ink > 0, code > 32 && code < 127) << "code " << code;
  }
  EXPECT_FALSE(rasteriseFont("/nonexistent/font.ttf", &atlas, &error));
  EXPECT_NE(error.find("/nonexistent/font.ttf"), std::string::npos);
}

TEST(DemoWriter, WritesTheWholeTreeTheSameWayEveryTime) {
  if (!haveFont()) GTEST_SKIP() << "no " << kDejaVu;
  TempDir effects;
  for (const char* name : {"skinned.fx", "static.fx", "common.fxh", "notes.txt"}) {
    write_whole_file(effects.file(name), std::string("// ") + name + "\n");
  }
  TempDir first;
  TempDir second;
  DemoReport report;
  DemoReport again;
  std::string error;
  ASSERT_TRUE(writeDemo({first.path().string(), effects.path().string(), kDejaVu}, &report, &error))
      << error;
  ASSERT_TRUE(
      writeDemo({second.path().string(), effects.path().string(), kDejaVu}, &again, &error));
  ASSERT_EQ(report.written, again.written);
  EXPECT_EQ(report.written.size(), 14u);
  for (const std::string& file : report.written) {
    EXPECT_EQ(read_whole_file((first.path() / file).string()),
              read_whole_file((second.path() / file).string()))
        << file;
  }
  // Effects and their includes are copied, nothing else; a missing one is named.
  EXPECT_TRUE(std::filesystem::exists(first.path() / "effect/common.fxh"));
  EXPECT_FALSE(std::filesystem::exists(first.path() / "effect/notes.txt"));
  ASSERT_EQ(report.warnings.size(), 1u);
  EXPECT_NE(report.warnings[0].find("shadow_volume.fx"), std::string::npos);

  // input.txt names the figure, whose script names its effect as the viewer
  // finds it from bin/.
  EXPECT_EQ(read_whole_file((first.path() / "bin/input.txt").string()), "walker.x_out\n");
  const std::string script = read_whole_file((first.path() / "bin/walker.txt").string());
  EXPECT_NE(script.find("e ../effect/skinned.fx\n"), std::string::npos);
  EXPECT_TRUE(std::filesystem::exists(first.path() / "bin/../effect/skinned.fx"));
  EXPECT_TRUE(std::filesystem::exists(first.path() / "texture/walker_normal.bmp"));
}
