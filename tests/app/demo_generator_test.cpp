#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <set>
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

  const size_t vertices = figure.model.positions.size();
  ASSERT_EQ(figure.model.weightsPerVertex, 4u);
  ASSERT_EQ(figure.model.blendWeights.size(), 4 * vertices);
  ASSERT_EQ(figure.model.paletteIndices.size(), 4 * vertices);
  for (size_t v = 0; v < vertices; ++v) {
    EXPECT_EQ(figure.model.blendWeights[4 * v], 1.0f);
    for (int i = 1; i < 4; ++i) {
      EXPECT_EQ(figure.model.blendWeights[4 * v + i], 0.0f);
      EXPECT_EQ(figure.model.paletteIndices[4 * v + i], figure.model.paletteIndices[4 * v]);
    }
    EXPECT_LT(figure.model.paletteIndices[4 * v], figure.model.bones.size());
  }
  EXPECT_TRUE(wall.model.blendWeights.empty());
  EXPECT_TRUE(wall.model.bones.empty());
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
  const Vector3 nose = transformPoint({0.0f, 0.35f, -0.52f}, head).subtract(transformPoint({}, head));
  EXPECT_LT(nose.x, -0.3f);
  EXPECT_LT(nose.z, -0.3f);
}

TEST(DemoFont, EveryPrintableCharacterHasInkInsideItsOwnCell) {
  if (!haveFont()) GTEST_SKIP() << "no " << kDejaVu;
  FontAtlas atlas;
  std::string error;
  ASSERT_TRUE(rasteriseFont(kDejaVu, &atlas, &error)) << error;
  ASSERT_EQ(atlas.glyphs.size(), 256u);
  ASSERT_EQ(atlas.image.width, 256);
  const int advance = atlas.glyphs['M'].advance;
  EXPECT_GE(advance, 6);
  EXPECT_LE(advance, 12);
  for (int code = 0; code < 256; ++code) {
    const FontGlyph& glyph = atlas.glyphs[size_t(code)];
    EXPECT_EQ(glyph.advance, advance) << code;
    // The rectangle is the left part of the code's cell, texel for texel.
    EXPECT_FLOAT_EQ(glyph.rect.uleft * 256.0f, float((code % 16) * 16)) << code;
    EXPECT_FLOAT_EQ(glyph.rect.vtop * 256.0f, float((code / 16) * 16)) << code;
    EXPECT_FLOAT_EQ((glyph.rect.uright - glyph.rect.uleft) * 256.0f, float(advance)) << code;
    EXPECT_FLOAT_EQ((glyph.rect.vbottom - glyph.rect.vtop) * 256.0f, 16.0f) << code;
    int ink = 0;
    for (int y = 0; y < 16; ++y) {
      for (int x = 0; x < 16; ++x) ink += atlas.image.at((code % 16) * 16 + x, (code / 16) * 16 + y)[0] > 64;
    }
    const bool printable = code > 32 && code < 127;
    EXPECT_EQ(ink > 0, printable) << "code " << code;
  }
  EXPECT_FALSE(rasteriseFont("/nonexistent/font.ttf", &atlas, &error));
  EXPECT_NE(error.find("/nonexistent/font.ttf"), std::string::npos);
}

TEST(DemoWriter, WritesTheWholeTreeTheSameWayEveryTime) {
  if (!haveFont()) GTEST_SKIP() << "no " << kDejaVu;
  TempDir effects;
  for (const char* name : {"skinned.fx", "static.fx", "extra.fx", "common.fxh", "notes.txt"}) {
    write_whole_file(effects.file(name), std::string("// ") + name + "\n");
  }
  TempDir first;
  TempDir second;
  DemoReport report;
  std::string error;
  ASSERT_TRUE(writeDemo({first.path().string(), effects.path().string(), kDejaVu}, &report, &error))
      << error;
  DemoReport again;
  ASSERT_TRUE(writeDemo({second.path().string(), effects.path().string(), kDejaVu}, &again, &error));
  ASSERT_EQ(report.written, again.written);
  for (const std::string& file : report.written) {
    EXPECT_EQ(read_whole_file((first.path() / file).string()),
              read_whole_file((second.path() / file).string()))
        << file;
  }

  const std::set<std::string> files(report.written.begin(), report.written.end());
  for (const char* expected :
       {"bin/input.txt", "bin/walker.x_out", "bin/walker.txt", "bin/wall.x_out", "bin/wall.txt",
        "bin/font.bmp", "bin/font.fnd", "texture/walker.bmp", "texture/walker_normal.bmp",
        "texture/wall.bmp", "texture/wall_normal.bmp", "effect/skinned.fx", "effect/static.fx",
        "effect/extra.fx", "effect/common.fxh"}) {
    EXPECT_EQ(files.count(expected), 1u) << expected;
  }
  EXPECT_EQ(files.count("effect/notes.txt"), 0u);
  ASSERT_EQ(report.warnings.size(), 1u);
  EXPECT_NE(report.warnings[0].find("shadow_volume.fx"), std::string::npos);

  // input.txt names the figure, and the effects its script names are where
  // the viewer looks for them from bin/.
  EXPECT_EQ(read_whole_file((first.path() / "bin/input.txt").string()), "walker.x_out\n");
  const std::string script = read_whole_file((first.path() / "bin/walker.txt").string());
  EXPECT_NE(script.find("e ../effect/skinned.fx\n"), std::string::npos);
  EXPECT_TRUE(std::filesystem::exists(first.path() / "bin" / "../effect/skinned.fx"));

  // A folder that cannot be made is reported.
  write_whole_file(first.file("blocked"), "a file, not a folder");
  EXPECT_FALSE(writeDemo({first.file("blocked"), effects.path().string(), kDejaVu}, &report, &error));
  EXPECT_FALSE(error.empty());
}
