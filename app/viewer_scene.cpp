#include "app/viewer_scene.h"

#include "app/run.h"
#include "base/dirs.h"
#include "base/log.h"
#include "model/model_loader.h"

namespace {

constexpr char kWallFile[] = "wall.x_out";
constexpr Vector3 kUp{0.0f, 1.0f, 0.0f};
constexpr uint8_t kClearTargetAndDepth = D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER;
constexpr float kClearDepth = 1.0f;

LightRecord MakeLight(uint32_t type, const Vector3& position, const Vector3& direction,
                      RenderTarget* target) {
  LightRecord light;
  light.type = type;
  light.position = position;
  light.direction = direction;
  light.target = target;
  return light;
}

}  // namespace

ViewerScene::ViewerScene(CRun& run) : run_(run) {}

void ViewerScene::SetUp() {
  font.Load("", ".bmp");
  run_.camera.SetProjection(kFieldOfViewDegrees, kCameraNear, kCameraFar);
  controls.PlaceCamera(run_.camera);

  // Effect names in the model scripts are used as they stand, relative to
  // the start folder.
  g_effectFolder = TextString();
  if (run_.Run(model, shadowVolume) == 0) log_text("model not loaded");
  LoadWall();

  wallWorld.translation(kWallOffset.x, kWallOffset.y, kWallOffset.z);
  controls.modelRotation.setIdentity();
  instance.starttime = CTimer::Now();
  instance.now = instance.starttime;

  SetUpShadowMap();
  if (!screenTarget.SaveFromDevice()) log_text("<error> no STarget");
  SetUpLights();
}

void ViewerScene::LoadWall() {
  ModelLoader loader;
  LoadTargets targets;
  targets.keepInRam = 1;
  targets.model = &wall;
  targets.shadowModel = &shadowVolume;
  const uint32_t result = loader.load(kWallFile, targets);
  log_int("wall.x_out:Mloader output", static_cast<int32_t>(result));
}

void ViewerScene::SetUpShadowMap() {
  if (!shadowTexture.CreateRenderTarget(kShadowMapSize, kShadowMapSize, D3DFMT_R32F)) {
    log_text("<error> no rendertarget tex");
  }
  if (!shadowTarget.InitForTexture(&shadowTexture, kShadowNear, kShadowFar)) {
    log_text("<error> no RTarget");
  }
  Matrix4 lightView;
  lightView.lookAt(lightPosition, kLightTarget, kUp);
  shadowTarget.SetView(lightView);
}

void ViewerScene::SetUpLights() {
  shadowLights.Reserve(1);
  shadowLights.Add(MakeLight(LightRecord::kPlainLight, lightPosition, lightDirection, nullptr));
  sceneLights.Reserve(1);
  sceneLights.Add(
      MakeLight(LightRecord::kShadowMappedLight, lightPosition, lightDirection, &shadowTarget));
  // From here on only the end point of the light's marker line.
  lightDirection = Vector3{0.0f, 0.0f, 0.0f};
}

bool ViewerScene::Frame() {
  CDevice& device = run_.device;
  controls.SpinStep();

  screenTarget.SaveFromDevice();
  shadowTarget.SetWorld(controls.modelRotation);
  if (!shadowTarget.Apply()) log_text("RT!!");
  device.ClearAndBegin(kShadowClearColor, kClearTargetAndDepth, kClearDepth);
  DrawShadowPass();
  device.EndScene();

  screenTarget.Apply();
  device.ClearAndBegin(kScreenClearColor, kClearTargetAndDepth, kClearDepth);
  DrawMarkers();
  DrawMainPass();

  if (controls.MessageStep()) return false;
  controls.ToggleStep();
  controls.AnimationStep(model);

  DrawHelpAndFrameRate();
  if (controls.drawShadowMap != 0) {
    device.DrawScreenQuad(0, 0, g_screenWidth / 2, kShadowMapQuadHeight, shadowTarget.GetTexture());
  }
  device.EndAndPresent();
  controls.ZoomAndOrbitStep(run_.camera);
  return true;
}

void ViewerScene::DrawShadowPass() {
  shadowTarget.GetWorld(instance.World);
  shadowTarget.GetView(instance.View);
  shadowTarget.GetProj(instance.Proj);
  instance.animindex = controls.animationIndex;
  instance.now = CTimer::Now();
  const bool draw = controls.drawShadowMap != 0;
  if (!model.Draw(instance, draw, shadowLights)) log_text("animation not.... is! (RT)");
  instance.World = wallWorld;
  if (!wall.Draw(instance, draw, shadowLights)) log_text("animation not.... is! (RT)");
}

void ViewerScene::DrawMarkers() {
  CDevice& device = run_.device;
  const Vector3 origin{0.0f, 0.0f, 0.0f};
  device.DrawPoints(&origin, 1, kOriginMarkerColor);
  device.DrawPoints(&lightPosition, 1, kLightMarkerColor);
  const Vector3 line[2] = {lightPosition, lightDirection};
  device.DrawLineStrip(line, 2, kLightLineColor, false);
}

void ViewerScene::DrawMainPass() {
  instance.World = controls.modelRotation;
  run_.camera.GetView(&instance.View);
  run_.camera.GetProjection(&instance.Proj);
  instance.shadowmode = controls.pcf;
  instance.animindex = controls.animationIndex;
  const bool draw = controls.drawShadowMap != 0;
  model.Draw(instance, draw, sceneLights);
  instance.World = wallWorld;
  wall.Draw(instance, draw, sceneLights);
}

void ViewerScene::DrawHelpAndFrameRate() {
  font.DrawText("LEFT BUTTON TO SPIN OJJECT!", 0, 0);
  font.DrawText("WHEEL TO MOVE", 0, kTextLineHeight);
  font.DrawText("ARROWS TO ZOOM", 0, 2 * kTextLineHeight);
  font.DrawTextInt("P : PCF ON/OFF: ", controls.pcf, 0, 3 * kTextLineHeight);
  font.DrawTextInt("O : DRAW SHADOWMAP: ", controls.drawShadowMap, 0, 4 * kTextLineHeight);

  run_.CountFrame(timeGetTime());
  font.DrawTextUInt("FPS:", run_.fps, 0, g_screenHeight - kTextLineHeight);
}
