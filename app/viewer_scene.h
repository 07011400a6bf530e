#pragma once
#include "app/viewer_controls.h"
#include "geometry/matrix4.h"
#include "geometry/vector3.h"
#include "render/draw_types.h"
#include "render/font.h"
#include "render/render_model.h"
#include "render/render_target.h"
#include "render/texture.h"

class CRun;

// The viewer's scene: the model named by input.txt, the wall, the shadow map
// with its light, and the frame that draws them. Members are declared in the
// order they are set up, so they are destroyed in reverse.
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
  static constexpr int32_t kShadowMapQuadHeight = 512;
  // The wall is drawn moved by kWallOffset; the light sits at kLightPosition
  // and looks at kLightTarget.
  static constexpr Vector3 kWallOffset{10.0f, 0.0f, 0.0f};
  static constexpr Vector3 kLightPosition{-10.0f, 0.0f, 0.0f};
  static constexpr Vector3 kLightTarget{1.0f, 0.0f, 0.0f};
  static constexpr Vector3 kLightDirection{1.0f, 0.0f, 0.0f};

  explicit ViewerScene(CRun& run);
  ViewerScene(const ViewerScene&) = delete;
  ViewerScene& operator=(const ViewerScene&) = delete;

  // Font, camera, both models, the shadow map and the lights; failures are
  // logged and the scene goes on with what it has.
  void SetUp();
  // One frame: shadow pass, main pass, markers, input, help text, frame rate,
  // shadow-map display, present, camera. False when the viewer is to end;
  // that frame stops after its draws, neither ended nor presented.
  bool Frame();

  Font font;
  RenderModel model;
  RenderModel shadowVolume;  // the loads' shadow-volume target; never drawn
  RenderModel wall;
  Matrix4 wallWorld;
  ViewerControls controls;
  DrawInstance instance;
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
  void DrawShadowPass();
  void DrawMainPass();
  void DrawMarkers();
  void DrawHelpAndFrameRate();

  CRun& run_;
};
