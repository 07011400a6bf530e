#include "app/animation_review.h"

#include <cstdio>

#include "app/screenshot_names.h"
#include "app/viewer_scene.h"
#include "app/window.h"
#include "render/overlay_drawing.h"

namespace {

const NamedAnimation* CurrentClip(const RenderModel& model, int32_t index) {
  const BoundedArray<NamedAnimation>* clips = model.GetAnimations();
  if (clips == nullptr || index < 0 || index >= clips->count) return nullptr;
  return &(*clips)[index];
}

int32_t ClipCount(const RenderModel& model) {
  const BoundedArray<NamedAnimation>* clips = model.GetAnimations();
  return clips == nullptr ? 0 : clips->count;
}

}  // namespace

AnimationReview::AnimationReview(ReviewOptions options)
    : skeleton(options.skeleton),
      wireframe(options.wireframe),
      normals(options.normals),
      options_(options) {}

void AnimationReview::Attach(ViewerScene& scene) {
  scene.animationTime = [this](ViewerScene& s, DrawInstance& instance) {
    return AnimationTime(s, instance);
  };
  scene.overlays.push_back([this](ViewerScene& s) { DrawOverlays(s); });
  scene.inputSteps.push_back([this](ViewerScene& s) { InputStep(s); });
  scene.screenDrawings.push_back([this](ViewerScene& s) { DrawScreen(s); });
}

bool AnimationReview::IsReviewKey(UINT vk) {
  switch (vk) {
    case VK_SPACE:
    case VK_RIGHT:
    case VK_LEFT:
    case VK_HOME:
    case VK_END:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_OEM_PLUS:
    case VK_ADD:
    case VK_OEM_MINUS:
    case VK_SUBTRACT:
    case kSkeletonKey:
    case kWireframeKey:
    case kNormalsKey:
    case kHelpKey:
    case kScreenshotKey:
      return true;
    default:
      return false;
  }
}

void AnimationReview::Activate(ViewerScene& scene) {
  if (active_) return;
  active_ = true;
  FollowClip(scene, true);
}

void AnimationReview::FollowClip(ViewerScene& scene, bool takeOver) {
  const RenderModel& model = scene.Model();
  const int32_t index = scene.controls.animationIndex;
  if (!takeOver && &model == clipModel_ && index == clipIndex_) return;
  // A model that replaced the last one (the old one still existed when the
  // new one was made, so the two never share an address) needs its mesh read.
  if (&model != clipModel_) meshOf_ = nullptr;
  clipModel_ = &model;
  clipIndex_ = index;
  const NamedAnimation* clip = CurrentClip(model, index);
  const int32_t keys = clip != nullptr ? clip->frames.count : 0;
  const uint32_t speed = clip != nullptr ? clip->speed : 1;
  if (takeOver) {
    // Carry on from where the scene's own clock has the clip.
    playback_.SetClipPlaying(keys, speed, scene.Now() - scene.instance.starttime);
  } else {
    playback_.SetClip(keys, speed);
  }
}

bool AnimationReview::PressKey(UINT vk, ViewerScene& scene) {
  if (!IsReviewKey(vk)) return false;
  Activate(scene);
  switch (vk) {
    case VK_SPACE:
      playback_.TogglePause();
      break;
    case VK_RIGHT:
      playback_.StepForward();
      break;
    case VK_LEFT:
      playback_.StepBack();
      break;
    case VK_HOME:
      playback_.FirstKey();
      break;
    case VK_END:
      playback_.LastKey();
      break;
    case VK_PRIOR:
      ChangeClip(scene, 1);
      break;
    case VK_NEXT:
      ChangeClip(scene, -1);
      break;
    case VK_OEM_PLUS:
    case VK_ADD:
      playback_.Faster();
      break;
    case VK_OEM_MINUS:
    case VK_SUBTRACT:
      playback_.Slower();
      break;
    case kSkeletonKey:
      skeleton = !skeleton;
      break;
    case kWireframeKey:
      wireframe = !wireframe;
      break;
    case kNormalsKey:
      normals = !normals;
      break;
    case kHelpKey:
      help = !help;
      break;
    case kScreenshotKey:
      screenshotDue_ = true;
      break;
    default:
      break;
  }
  return true;
}

void AnimationReview::ChangeClip(ViewerScene& scene, int32_t step) {
  const int32_t count = ClipCount(scene.Model());
  if (count == 0) return;
  int32_t& index = scene.controls.animationIndex;
  // An index past the clips (the start folder's viewer begins at the third)
  // comes back to the first.
  if (index < 0 || index >= count) {
    index = 0;
  } else {
    index = ((index + step) % count + count) % count;
  }
  FollowClip(scene, false);
}

bool AnimationReview::AnimationTime(ViewerScene& scene, DrawInstance& instance) {
  if (!active_ && options_.active) {
    Activate(scene);
    if (options_.animationKey >= 0) {
      playback_.SetPaused(true);
      playback_.GoToKey(options_.animationKey);
    }
  }
  const uint32_t now = scene.Now();
  if (!active_) {
    lastNow_ = now;
    return false;
  }
  FollowClip(scene, false);
  if (haveLastNow_) playback_.Advance(now - lastNow_);
  lastNow_ = now;
  haveLastNow_ = true;
  playback_.ApplyTo(instance);
  return true;
}

void AnimationReview::DrawOverlays(ViewerScene& scene) {
  if (!active_ || !(skeleton || wireframe || normals)) return;
  CDevice& device = scene.Device();
  RenderModel& model = scene.Model();
  // The overlays sit where the main pass drew the model: its world and the
  // camera's matrices (the device's own view may still be the light's).
  const D3DTRANSFORMSTATETYPE kinds[3] = {D3DTS_WORLD, D3DTS_VIEW, D3DTS_PROJECTION};
  const Matrix4 wanted[3] = {scene.controls.modelRotation, scene.instance.View,
                             scene.instance.Proj};
  Matrix4 saved[3];
  bool restore[3] = {false, false, false};
  for (int i = 0; i < 3 && g_device != nullptr; ++i) {
    restore[i] = g_device->GetTransform(kinds[i], &saved[i]) == D3D_OK;
    g_device->SetTransform(kinds[i], &wanted[i]);
  }

  const bool animated = model.bones.count > 0 && model.palette.count >= model.bones.count;
  if (wireframe || normals) {
    if (meshOf_ != &model) {
      mesh_.Capture(model);
      meshOf_ = &model;
    }
    if (!mesh_.Empty()) {
      mesh_.Pose(animated ? &model.palette : nullptr);
      if (wireframe) DrawOverlayLines(device, mesh_.Edges(), kWireColor);
      if (normals) {
        const float length = mesh_.Extent() * kNormalLengthShare;
        DrawOverlayLines(device, mesh_.Normals(length), kNormalColor);
        DrawOverlayLines(device, mesh_.Tangents(length), kTangentColor);
      }
    }
  }
  if (skeleton && animated) {
    SkeletonPose pose;
    if (BuildSkeletonPose(model, &pose)) {
      DrawOverlayLines(device, pose.bones, kBoneColor);
      DrawOverlayPoints(device, pose.joints, kJointColor);
    }
  }
  for (int i = 0; i < 3; ++i) {
    if (restore[i]) g_device->SetTransform(kinds[i], &saved[i]);
  }
}

void AnimationReview::InputStep(ViewerScene& scene) {
  if (scene.controls.keptMessage == WM_KEYDOWN) {
    PressKey(static_cast<UINT>(scene.controls.keptWParam), scene);
  }
  TimelineStep(scene);
}

void AnimationReview::TimelineStep(ViewerScene& scene) {
  const bool down = g_leftDown != 0;
  const TimelineBar bar = TimelineBar::ForScreen(g_screenWidth, g_screenHeight);
  // Only a press that starts on the bar seeks; the drag then follows the
  // pointer anywhere, and the model does not spin meanwhile.
  if (down && !leftWasDown_ && active_ && bar.Hit(g_mouseX, g_mouseY)) seeking_ = true;
  if (!down) seeking_ = false;
  leftWasDown_ = down;
  scene.controls.holdSpin = seeking_;
  if (!seeking_) return;
  playback_.SetPaused(true);
  playback_.SeekToFraction(bar.FractionAt(g_mouseX));
}

ReviewStatus AnimationReview::Status(const ViewerScene& scene) const {
  ReviewStatus status;
  const RenderModel& model = scene.Model();
  status.clipIndex = scene.controls.animationIndex;
  status.clipCount = ClipCount(model);
  status.speedExponent = playback_.SpeedExponent();
  status.paused = playback_.Paused();
  const NamedAnimation* clip = CurrentClip(model, status.clipIndex);
  if (clip == nullptr || clip->frames.count == 0) return status;
  status.clipName = clip->name[0] != '\0' ? clip->name : "(unnamed)";
  status.keyCount = clip->frames.count;
  status.key = playback_.CurrentKey();
  if (status.key >= 0 && status.key < clip->frames.count)
    status.modelKey = clip->frames[status.key];
  status.firstModelKey = clip->frames[0];
  status.lastModelKey = clip->frames[clip->frames.count - 1];
  status.seconds = playback_.Seconds();
  status.betweenKeys = !playback_.AtKey();
  return status;
}

void AnimationReview::DrawScreen(ViewerScene& scene) {
  if (!active_) return;
  const uint32_t now = scene.Now();
  if (!hud_.notice.empty() && static_cast<int32_t>(now - noticeUntil_) >= 0) hud_.notice.clear();
  hud_.Draw(scene.Device(), scene.font, Status(scene), playback_, help, g_screenWidth,
            g_screenHeight);
  if (screenshotDue_) {
    screenshotDue_ = false;
    // The whole window as the user sees it, status line and all.
    lastScreenshot = SaveNewScreenshot(screenshotFolder);
    if (lastScreenshot.empty()) {
      std::fprintf(stderr, "meshview: screenshot could not be saved in %s\n",
                   screenshotFolder.c_str());
      hud_.notice = "SCREENSHOT FAILED";
    } else {
      std::fprintf(stderr, "meshview: screenshot saved to %s\n", lastScreenshot.c_str());
      hud_.notice = "SAVED " + lastScreenshot;
    }
    noticeUntil_ = now + kNoticeMs;
  }
}
