#pragma once
#include <cstdint>
#include <string>

#include "platform/win/windows_api.h"
#include "render/animation_playback.h"
#include "render/pose_overlay.h"
#include "render/review_hud.h"

class RenderModel;
class ViewerScene;

// How the review starts.
struct ReviewOptions {
  // On from the first frame (a file opened from the command line); off, the
  // viewer stays exactly as before until one of the review keys is pressed.
  bool active = false;
  bool skeleton = false;
  bool wireframe = false;
  bool normals = false;
  // A key of the clip to show, paused, from the start; -1 plays on.
  int32_t animationKey = -1;
};

// The animation review: pause, step, first/last key, clips, speed, the
// skeleton, wireframe and normal overlays, the status line and timeline, the
// help lines and numbered screenshots. Attach hooks it into a scene's frame;
// it must outlive the scene's frames.
class AnimationReview {
 public:
  static constexpr UINT kSkeletonKey = 'B';
  static constexpr UINT kWireframeKey = 'W';
  static constexpr UINT kNormalsKey = 'N';
  static constexpr UINT kHelpKey = 'H';
  static constexpr UINT kScreenshotKey = VK_F1 + 11;  // F12
  static constexpr D3DCOLOR kBoneColor = 0x00FF40FF;
  static constexpr D3DCOLOR kJointColor = 0x00FFFFFF;
  static constexpr D3DCOLOR kWireColor = 0x00A0C0FF;
  static constexpr D3DCOLOR kNormalColor = 0x0040FF40;
  static constexpr D3DCOLOR kTangentColor = 0x00FF4040;
  // Normals and tangents are drawn this share of the model's size long.
  static constexpr float kNormalLengthShare = 0.02f;
  // How long the name of a saved screenshot stays on screen.
  static constexpr uint32_t kNoticeMs = 4000;

  explicit AnimationReview(ReviewOptions options = {});

  void Attach(ViewerScene& scene);

  // True when vk is one of the review keys.
  static bool IsReviewKey(UINT vk);
  // Acts on one key press; false when the key is none of the review keys.
  bool PressKey(UINT vk, ViewerScene& scene);

  // The frame's parts, in frame order: the animation time the model is
  // drawn at (false: the scene's own clock), overlays in the main pass, input
  // after the scene's message step, screen text and timeline before the
  // frame is presented.
  bool AnimationTime(ViewerScene& scene, DrawInstance& instance);
  void DrawOverlays(ViewerScene& scene);
  void InputStep(ViewerScene& scene);
  void DrawScreen(ViewerScene& scene);

  bool Active() const { return active_; }
  const AnimationPlayback& Playback() const { return playback_; }
  bool skeleton = false;
  bool wireframe = false;
  bool normals = false;
  bool help = false;
  // Where F12 saves; the working folder by default.
  std::string screenshotFolder = ".";
  std::string lastScreenshot;

  // The status line's facts for the scene's current clip.
  ReviewStatus Status(const ViewerScene& scene) const;

 private:
  void Activate(ViewerScene& scene);
  // Follows the scene's model and clip: a new one starts at its first key.
  void FollowClip(ViewerScene& scene, bool takeOver);
  void ChangeClip(ViewerScene& scene, int32_t step);
  void TimelineStep(ViewerScene& scene);

  ReviewOptions options_;
  bool active_ = false;
  AnimationPlayback playback_;
  ReviewHud hud_;
  SkinnedMesh mesh_;
  const RenderModel* meshOf_ = nullptr;
  const RenderModel* clipModel_ = nullptr;
  int32_t clipIndex_ = -1;
  uint32_t lastNow_ = 0;
  bool haveLastNow_ = false;
  bool screenshotDue_ = false;
  uint32_t noticeUntil_ = 0;
  bool seeking_ = false;
  bool leftWasDown_ = false;
};
