#include "app/viewer_controls.h"

#include <gtest/gtest.h>

#include "app/camera.h"
#include "app/window.h"
#include "render/render_model.h"
#include "tests/render/recorded_device_fixture.h"
#include "tests/win/headless_video.h"

namespace {

WPARAM wheel(int16_t delta) { return static_cast<WPARAM>(static_cast<uint16_t>(delta)) << 16; }

void expectNear(const Vector3& actual, const Vector3& expected) {
  EXPECT_NEAR(actual.x, expected.x, 1e-5f);
  EXPECT_NEAR(actual.y, expected.y, 1e-5f);
  EXPECT_NEAR(actual.z, expected.z, 1e-5f);
}

void expectRotation(const Matrix4& actual, float yaw, float pitch) {
  Matrix4 expected;
  expected.rotationYawPitchRoll(yaw, pitch, 0.0f);
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(actual.m[i], expected.m[i], 1e-5f) << "element " << i;
}

// The controls over a recorded device, with every key and button up.
class Controls : public RecordedDeviceTest {
 protected:
  void SetUp() override {
    RecordedDeviceTest::SetUp();
    g_leftDown = 0;
    controls.PlaceCamera(camera);
  }
  size_t viewUpdates() {
    size_t count = 0;
    for (const CallRecord* call : log().Named("SetTransform")) count += call->u(0) == D3DTS_VIEW;
    return count;
  }
  // The end of a frame whose message step kept this message.
  void orbitFrame(UINT message = 0, WPARAM wParam = 0) {
    controls.keptMessage = message;
    controls.keptWParam = wParam;
    controls.ZoomAndOrbitStep(camera);
  }

  CWindow window;  // clears the key state
  CCamera camera;
  ViewerControls controls;
};

}  // namespace

TEST(ComputeOrbit, PlacesTheEyeOnTheCircleLookingAtTheOrigin) {
  Vector3 eye{0.0f, 10.0f, 0.0f};
  Vector3 direction;
  ComputeOrbit(&eye, &direction, 270.0f, 10.0f);
  expectNear(eye, {0.0f, 10.0f, -10.0f});  // y is left as it was
  expectNear(direction, {0.0f, -0.70710678f, 0.70710678f});

  eye = Vector3{};
  ComputeOrbit(&eye, &direction, 0.0f, 4.0f);
  expectNear(eye, {4.0f, 0.0f, 0.0f});
  expectNear(direction, {-1.0f, 0.0f, 0.0f});
  // At the origin there is no direction; past it the eye is on the other
  // side, still facing the origin.
  ComputeOrbit(&eye, &direction, 270.0f, 0.0f);
  expectNear(direction, {0.0f, 0.0f, 0.0f});
  ComputeOrbit(&eye, &direction, 270.0f, -2.0f);
  expectNear(eye, {0.0f, 0.0f, 2.0f});
  expectNear(direction, {0.0f, 0.0f, -1.0f});
}

TEST_F(Controls, CameraStartsTenUnitsBeforeTheOriginWithASquareProjection) {
  camera.SetProjection(90.0f, 1.0f, 100.0f);
  Matrix4 projection;
  camera.GetProjection(&projection);
  EXPECT_NEAR(projection.at(0, 0), 1.0f, 1e-6f);  // 90 degrees, aspect 1 on an 800 x 600 buffer
  EXPECT_NEAR(projection.at(1, 1), 1.0f, 1e-6f);
  Matrix4 view;
  camera.GetView(&view);
  expectNear({view.at(3, 0), view.at(3, 1), view.at(3, 2)}, {0.0f, 0.0f, 10.0f});
  EXPECT_EQ(recorded().Transform(D3DTS_VIEW).m[14], view.m[14]);
}

TEST_F(Controls, WheelTurnsTheCameraTenDegreesPerNotchAndWrapsTheAngle) {
  controls.orbitAngle = 355.0f;
  orbitFrame(WM_MOUSEWHEEL, wheel(120));
  EXPECT_FLOAT_EQ(controls.orbitAngle, 5.0f);
  orbitFrame(WM_MOUSEWHEEL, wheel(-120));
  EXPECT_FLOAT_EQ(controls.orbitAngle, 355.0f);
  orbitFrame(WM_MOUSEWHEEL, wheel(-360));
  EXPECT_FLOAT_EQ(controls.orbitAngle, 325.0f);
  controls.orbitAngle = 350.0f;
  orbitFrame(WM_MOUSEWHEEL, wheel(120));
  EXPECT_FLOAT_EQ(controls.orbitAngle, 360.0f) << "exactly 360 is kept";

  // Less than a notch turns nothing but still rebuilds the camera; a frame
  // without wheel or zoom leaves it alone.
  const size_t before = viewUpdates();
  orbitFrame(WM_MOUSEWHEEL, wheel(60));
  EXPECT_FLOAT_EQ(controls.orbitAngle, 360.0f);
  EXPECT_EQ(viewUpdates(), before + 1);
  orbitFrame(WM_MOUSEMOVE, wheel(120));
  orbitFrame();
  EXPECT_EQ(viewUpdates(), before + 1);

  orbitFrame(WM_MOUSEWHEEL, wheel(120));  // 370 wraps to 10
  Vector3 eye;
  camera.GetEye(&eye);
  expectNear(eye, {9.8480775f, 0.0f, 1.7364818f});
}

TEST_F(Controls, ArrowKeysZoomWithoutLimitsAndCancelEachOther) {
  g_keyDown[VK_UP] = 1;
  orbitFrame();
  EXPECT_FLOAT_EQ(controls.orbitDistance, 9.99f);

  g_keyDown[VK_DOWN] = 1;  // both held: no change, no camera update
  const size_t before = viewUpdates();
  for (int frame = 0; frame < 50; ++frame) orbitFrame();
  EXPECT_FLOAT_EQ(controls.orbitDistance, 9.99f);
  EXPECT_EQ(viewUpdates(), before);

  // Up alone runs through the origin and out the other side.
  g_keyDown[VK_DOWN] = 0;
  for (int frame = 0; frame < 1100; ++frame) orbitFrame();
  EXPECT_NEAR(controls.orbitDistance, -1.01f, 0.01f);
  Vector3 eye;
  camera.GetEye(&eye);
  EXPECT_GT(eye.z, 0.9f);
  EXPECT_NEAR(controls.orbitDirection.z, -1.0f, 1e-5f);
}

TEST_F(Controls, EachPressFlipsItsToggleOnceHoweverLongItIsHeld) {
  constexpr UINT kP = ViewerControls::kPcfKey;
  constexpr UINT kO = ViewerControls::kShadowMapKey;
  g_keyDown[kP] = 1;
  for (int frame = 0; frame < 5; ++frame) controls.ToggleStep();
  EXPECT_EQ(controls.pcf, 1);
  EXPECT_EQ(controls.drawShadowMap, 0);
  g_keyDown[kP] = 0;
  controls.ToggleStep();
  g_keyDown[kP] = 1;
  controls.ToggleStep();
  EXPECT_EQ(controls.pcf, 0);

  g_keyDown[kO] = 1;
  controls.ToggleStep();
  controls.ToggleStep();
  EXPECT_EQ(controls.drawShadowMap, 1);
  EXPECT_EQ(controls.pcf, 0);
}

TEST_F(Controls, RightButtonReleaseStepsThroughTheModelsAnimations) {
  RenderModel model;
  EXPECT_EQ(controls.animationIndex, 2);  // the third animation first
  controls.keptMessage = WM_RBUTTONUP;
  controls.AnimationStep(model);  // no animations: the index only grows
  EXPECT_EQ(controls.animationIndex, 3);

  ASSERT_TRUE(model.animations.resize(2));
  controls.animationIndex = 2;
  for (int expected : {0, 1, 0, 1}) {
    controls.AnimationStep(model);
    EXPECT_EQ(controls.animationIndex, expected);
  }
  for (UINT message : {0u, WM_RBUTTONDOWN, WM_LBUTTONUP, WM_MOUSEWHEEL}) {
    controls.keptMessage = message;
    controls.AnimationStep(model);
  }
  EXPECT_EQ(controls.animationIndex, 1);
}

TEST_F(Controls, DragSpinsTheModelByTheOffsetFromWhereItBegan) {
  g_mouseX = 100;
  g_mouseY = 100;
  g_leftDown = 1;
  controls.SpinStep();  // the press frame only notes where the drag began
  expectRotation(controls.modelRotation, 0.0f, 0.0f);
  g_mouseX = 90;
  g_mouseY = 120;
  controls.SpinStep();
  expectRotation(controls.modelRotation, 11.0f, 22.0f);

  // A new drag keeps the orientation until the pointer moves, then takes the
  // new offset alone.
  g_leftDown = 0;
  controls.SpinStep();
  g_leftDown = 1;
  controls.SpinStep();
  expectRotation(controls.modelRotation, 11.0f, 22.0f);
  g_mouseX = 80;
  controls.SpinStep();
  expectRotation(controls.modelRotation, 11.0f, 0.0f);
}

TEST_F(Controls, MessageStepTakesOneMessageAndEndsOnQuitOrEscape) {
  use_headless_video();
  ASSERT_TRUE(window.Create("controls", true, 800, 600, 0));
  drain_messages();
  push_key(window.GetHwnd(), SDL_KEYDOWN, SDLK_p);
  push_key(window.GetHwnd(), SDL_KEYUP, SDLK_p);
  EXPECT_FALSE(controls.MessageStep());
  EXPECT_EQ(controls.keptMessage, WM_KEYDOWN);
  EXPECT_EQ(g_keyDown[ViewerControls::kPcfKey], 1) << "the release waits for the next frame";
  EXPECT_FALSE(controls.MessageStep());
  EXPECT_EQ(controls.keptMessage, WM_KEYUP);
  EXPECT_FALSE(controls.MessageStep());
  EXPECT_EQ(controls.keptMessage, 0u);  // nothing waiting: nothing kept
  DestroyWindow(window.GetHwnd());
  drain_messages();

  PostQuitMessage(0);
  EXPECT_TRUE(controls.MessageStep());
  EXPECT_EQ(controls.keptMessage, WM_QUIT);
  EXPECT_FALSE(controls.MessageStep());

  g_keyDown[ViewerControls::kEscapeKey] = 1;
  EXPECT_TRUE(controls.MessageStep());
}
