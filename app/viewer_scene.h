#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/camera.h"
#include "app/device.h"
#include "app/frame_rate.h"
#include "app/timer.h"
#include "app/viewer_controls.h"
#include "geometry/matrix4.h"
#include "geometry/vector3.h"
#include "render/draw_types.h"
#include "render/font.h"
#include "render/render_model.h"
#include "render/render_target.h"
#include "render/texture.h"

// Loads one model into model and its shadow volume into shadowVolume: 1 on
// success, 0 on failure (the loader log says why).
using ModelLoad = std::function<uint32_t(RenderModel& model, RenderModel& shadowVolume)>;

// What differs between the viewer started in its start folder (the defaults
// here) and the viewer opened on a file.
struct SceneSettings {
  int32_t startAnimation = ViewerControls::kStartAnimation;
  int8_t pcf = 0;
  int8_t drawShadowMap = 0;
  // Skinned models are drawn whether the shadow map is shown or not; by
  // default they are animated but hidden while it is off.
  bool drawSkinnedAlways = false;
  // The text is drawn after the shadow-map rectangle, so the rectangle does
  // not hide the help lines.
  bool textOverShadowMap = false;
  // A model draw that fails is logged once rather than every frame.
  bool logDrawFailureOnce = false;
  // The animation clock in milliseconds; the animation is animationOffset
  // milliseconds old at its first reading.
  std::function<uint32_t()> clock = &CTimer::Now;
  uint32_t animationOffset = 0;
};

// The parts of the viewer the scene draws with, and the loads it runs.
struct SceneServices {
  CDevice& device;
  CCamera& camera;
  ModelLoad loadModel;
  // By default the wall "wall.x_out" and the font "font.bmp" / "font.fnd"
  // of the working folder.
  ModelLoad loadWall;
  std::function<void(Font&)> loadFont;
};

// The viewer's scene: the model, the wall, the shadow map with its light, and
// the frame that draws them. Members are declared in the order they are set
// up, so they are destroyed in reverse.
class ViewerScene {
 public:
  static constexpr float kFieldOfViewDegrees = 90.0f;
  static constexpr float kCameraNear = 1.0f;
  static constexpr float kCameraFar = 100.0f;
  static constexpr int32_t kShadowMapSize = 512;
  static constexpr float kShadowNear = 1.0f;
  static constexpr float kShadowFar = 50.0f;
  static constexpr D3DCOLOR kShadowClearColor = 0x000000FF;
  static constexpr D3DCOLOR kScreenClearColor = 0x000000F0;
  static constexpr D3DCOLOR kOriginMarkerColor = 0x00FFFF00;
  static constexpr D3DCOLOR kLightMarkerColor = 0x00FF00FF;
  static constexpr D3DCOLOR kLightLineColor = 0x00FFFF00;
  static constexpr int32_t kTextLineHeight = 16;
  static constexpr int32_t kHelpLineCount = 5;
  static constexpr int32_t kShadowMapQuadHeight = 512;
  // The wall is drawn moved by kWallOffset; the light sits at kLightPosition
  // and looks at kLightTarget.
  static constexpr Vector3 kWallOffset{10.0f, 0.0f, 0.0f};
  static constexpr Vector3 kLightPosition{-10.0f, 0.0f, 0.0f};
  static constexpr Vector3 kLightTarget{1.0f, 0.0f, 0.0f};
  static constexpr Vector3 kLightDirection{1.0f, 0.0f, 0.0f};

  explicit ViewerScene(SceneServices services, SceneSettings settings = {});
  ViewerScene(const ViewerScene&) = delete;
  ViewerScene& operator=(const ViewerScene&) = delete;

  // Font, camera, both models, the shadow map and the lights; failures are
  // logged and the scene goes on with what it has.
  void SetUp();
  // One frame: shadow pass, main pass, markers, overlays, input, help text,
  // frame rate, shadow-map display, present, camera. False when the viewer is
  // to end; that frame stops after its draws, neither ended nor presented.
  bool Frame();

  // Loads a model with load into fresh records; on success it replaces the
  // current model and its animation starts again, on failure the current one
  // stays. The load's result.
  uint32_t ReplaceModel(const ModelLoad& load);

  RenderModel& Model() { return *model_; }
  const RenderModel& Model() const { return *model_; }
  uint32_t Now() const { return settings_.clock(); }

  // Extension points for the frame: overlays draw in the main pass after the
  // models (camera transforms set); each HUD line source gives one line of
  // text below the help lines ("" for none this frame).
  std::vector<std::function<void(ViewerScene&)>> overlays;
  std::vector<std::function<std::string()>> hudLines;
  // When set and true, it has put the animation's time into the instance
  // instead of the scene's clock. inputSteps run after the scene's own
  // controls; screenDrawings draw last, just before the frame is presented.
  std::function<bool(ViewerScene&, DrawInstance&)> animationTime;
  std::vector<std::function<void(ViewerScene&)>> inputSteps;
  std::vector<std::function<void(ViewerScene&)>> screenDrawings;
  CDevice& Device() { return services_.device; }

  Font font;
  RenderModel shadowVolume;  // the loads' shadow-volume target; never drawn
  RenderModel wall;
  Matrix4 wallWorld;
  ViewerControls controls;
  DrawInstance instance;
  FrameRate frameRate;
  Texture shadowTexture;
  Vector3 lightPosition = kLightPosition;
  Vector3 lightDirection = kLightDirection;
  RenderTarget shadowTarget;
  RenderTarget screenTarget;
  LightList shadowLights;
  LightList sceneLights;

 private:
  void LoadWall();
  void SetUpShadowMap();
  void SetUpLights();
  void StartAnimation();
  void DrawShadowPass();
  void DrawMainPass();
  void DrawMarkers();
  void DrawText();
  void DrawHelpAndFrameRate();
  void DrawShadowMapQuad();
  bool DrawModels() const;
  void LogDrawFailure();

  SceneServices services_;
  SceneSettings settings_;
  std::unique_ptr<RenderModel> model_ = std::make_unique<RenderModel>();
  bool drawFailureLogged_ = false;
};
