#include "app/viewer_scene.h"

#include <utility>

#include "base/dirs.h"
#include "base/log.h"
#include "model/model_loader.h"

namespace {

constexpr char kWallFile[] = "wall.x_out";
constexpr Vector3 kUp{0.0f, 1.0f, 0.0f};
constexpr uint8_t kClearTargetAndDepth = D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER;
constexpr float kClearDepth = 1.0f;
constexpr char kDrawFailure[] = "animation not.... is! (RT)";

LightRecord MakeLight(uint32_t type, const Vector3& position, const Vector3& direction,
                      RenderTarget* target) {
  LightRecord light;
  light.type = type;
  light.position = position;
  light.direction = direction;
  light.target = target;
  return light;
}

uint32_t LoadWallFromWorkingFolder(RenderModel& wall, RenderModel& shadowVolume) {
  ModelLoader loader;
  LoadTargets targets;
  targets.keepInRam = 1;
  targets.model = &wall;
  targets.shadowModel = &shadowVolume;
  const uint32_t result = loader.load(kWallFile, targets);
  log_int("wall.x_out:Mloader output", static_cast<int32_t>(result));
  return result;
}

}  // namespace

ViewerScene::ViewerScene(SceneServices services, SceneSettings settings)
    : frameRate(settings.clock ? settings.clock() : CTimer::Now()),
      services_(std::move(services)),
      settings_(std::move(settings)) {
  if (!services_.loadWall) services_.loadWall = &LoadWallFromWorkingFolder;
  if (!services_.loadFont) services_.loadFont = [](Font& font) { font.Load("", ".bmp"); };
  if (!settings_.clock) settings_.clock = &CTimer::Now;
  controls.animationIndex = settings_.startAnimation;
  controls.pcf = settings_.pcf;
  controls.drawShadowMap = settings_.drawShadowMap;
}

void ViewerScene::SetUp() {
  services_.loadFont(font);
  services_.camera.SetProjection(kFieldOfViewDegrees, kCameraNear, kCameraFar);
  controls.PlaceCamera(services_.camera);

  // Effect names in the model scripts are used as they stand, relative to
  // the start folder, unless the model's load says otherwise.
  g_effectFolder = TextString();
  if (!services_.loadModel || services_.loadModel(*model_, shadowVolume) == 0) {
    log_text("model not loaded");
  }
  LoadWall();

  wallWorld.translation(kWallOffset.x, kWallOffset.y, kWallOffset.z);
  controls.modelRotation.setIdentity();
  StartAnimation();

  SetUpShadowMap();
  if (!screenTarget.SaveFromDevice()) log_text("<error> no STarget");
  SetUpLights();
}

void ViewerScene::StartAnimation() {
  instance.now = settings_.clock();
  instance.starttime = instance.now - settings_.animationOffset;
}

uint32_t ViewerScene::ReplaceModel(const ModelLoad& load) {
  auto fresh = std::make_unique<RenderModel>();
  RenderModel freshShadowVolume;
  const uint32_t result = load(*fresh, freshShadowVolume);
  if (result == 0) return 0;
  model_ = std::move(fresh);
  const int32_t clips = model_->GetAnimations() != nullptr ? model_->GetAnimations()->count : 0;
  if (controls.animationIndex >= clips) controls.animationIndex = 0;
  drawFailureLogged_ = false;
  StartAnimation();
  return result;
}

void ViewerScene::LoadWall() { services_.loadWall(wall, shadowVolume); }

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
  CDevice& device = services_.device;
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
  for (auto& overlay : overlays) overlay(*this);

  if (controls.MessageStep()) return false;
  controls.ToggleStep();
  controls.AnimationStep(*model_);
  for (auto& step : inputSteps) step(*this);

  if (settings_.textOverShadowMap) {
    DrawShadowMapQuad();
    DrawText();
  } else {
    DrawText();
    DrawShadowMapQuad();
  }
  for (auto& drawing : screenDrawings) drawing(*this);
  device.EndAndPresent();
  controls.ZoomAndOrbitStep(services_.camera);
  return true;
}

bool ViewerScene::DrawModels() const {
  return settings_.drawSkinnedAlways || controls.drawShadowMap != 0;
}

void ViewerScene::LogDrawFailure() {
  if (settings_.logDrawFailureOnce && drawFailureLogged_) return;
  drawFailureLogged_ = true;
  log_text(kDrawFailure);
}

void ViewerScene::DrawShadowPass() {
  shadowTarget.GetWorld(instance.World);
  shadowTarget.GetView(instance.View);
  shadowTarget.GetProj(instance.Proj);
  instance.animindex = controls.animationIndex;
  if (!animationTime || !animationTime(*this, instance)) instance.now = settings_.clock();
  const bool draw = DrawModels();
  if (!model_->Draw(instance, draw, shadowLights)) LogDrawFailure();
  instance.World = wallWorld;
  if (!wall.Draw(instance, draw, shadowLights)) LogDrawFailure();
}

void ViewerScene::DrawMarkers() {
  CDevice& device = services_.device;
  const Vector3 origin{0.0f, 0.0f, 0.0f};
  device.DrawPoints(&origin, 1, kOriginMarkerColor);
  device.DrawPoints(&lightPosition, 1, kLightMarkerColor);
  const Vector3 line[2] = {lightPosition, lightDirection};
  device.DrawLineStrip(line, 2, kLightLineColor, false);
}

void ViewerScene::DrawMainPass() {
  instance.World = controls.modelRotation;
  services_.camera.GetView(&instance.View);
  services_.camera.GetProjection(&instance.Proj);
  instance.shadowmode = controls.pcf;
  instance.animindex = controls.animationIndex;
  const bool draw = DrawModels();
  model_->Draw(instance, draw, sceneLights);
  instance.World = wallWorld;
  wall.Draw(instance, draw, sceneLights);
}

void ViewerScene::DrawText() {
  DrawHelpAndFrameRate();
  int32_t y = kHelpLineCount * kTextLineHeight;
  for (auto& line : hudLines) {
    const std::string text = line();
    if (text.empty()) continue;
    font.DrawText(text.c_str(), 0, y);
    y += kTextLineHeight;
  }
}

void ViewerScene::DrawHelpAndFrameRate() {
  font.DrawText("LEFT BUTTON TO SPIN OJJECT!", 0, 0);
  font.DrawText("WHEEL TO MOVE", 0, kTextLineHeight);
  font.DrawText("ARROWS TO ZOOM", 0, 2 * kTextLineHeight);
  font.DrawTextInt("P : PCF ON/OFF: ", controls.pcf, 0, 3 * kTextLineHeight);
  font.DrawTextInt("O : DRAW SHADOWMAP: ", controls.drawShadowMap, 0, 4 * kTextLineHeight);

  // The scene's clock: a fixed clock (one frame written to a file) shows
  // the same rate every time.
  frameRate.Count(settings_.clock());
  font.DrawTextUInt("FPS:", frameRate.fps, 0, g_screenHeight - kTextLineHeight);
}

void ViewerScene::DrawShadowMapQuad() {
  if (controls.drawShadowMap == 0) return;
  services_.device.DrawScreenQuad(0, 0, g_screenWidth / 2, kShadowMapQuadHeight,
                                  shadowTarget.GetTexture());
}
