#include "render/review_hud.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "render/animation_playback.h"
#include "render/device.h"
#include "render/font.h"
#include "render/overlay_drawing.h"

const char* const kReviewHelpLines[] = {
    "SPACE  PAUSE / PLAY",          "RIGHT / LEFT  NEXT / PREVIOUS KEY (PAUSED)",
    "HOME / END  FIRST / LAST KEY", "PAGE UP / DOWN  NEXT / PREVIOUS CLIP",
    "+ / -  SPEED X2 / /2",         "B SKELETON  W WIREFRAME  N NORMALS",
    "F12  SCREENSHOT   H  HELP",    "CLICK OR DRAG THE TIMELINE TO SEEK",
};
const int32_t kReviewHelpLineCount =
    static_cast<int32_t>(sizeof kReviewHelpLines / sizeof kReviewHelpLines[0]);

std::string FormatSpeed(int32_t speedExponent) {
  char text[32];
  if (speedExponent >= 0) {
    std::snprintf(text, sizeof text, "x%d", 1 << std::min(speedExponent, 30));
  } else {
    std::snprintf(text, sizeof text, "x1/%d", 1 << std::min(-speedExponent, 30));
  }
  return text;
}

std::string FormatStatusLine(const ReviewStatus& status) {
  char text[512];
  if (status.clipCount <= 0) {
    // A static model: nothing to play, only the speed a later model keeps.
    std::snprintf(text, sizeof text, "no animation | %s",
                  FormatSpeed(status.speedExponent).c_str());
    return text;
  }
  if (status.clipName.empty() || status.keyCount <= 0) {
    std::snprintf(text, sizeof text, "no clip (%d of %d) | %s%s", status.clipIndex + 1,
                  status.clipCount, FormatSpeed(status.speedExponent).c_str(),
                  status.paused ? " | paused" : "");
    return text;
  }
  // Keys count from 0, like the model's own key numbers beside them; "+"
  // marks a time between two keys.
  std::snprintf(text, sizeof text,
                "clip %d/%d %s | key %d%s of 0-%d (model key %d of %d-%d) | %.2f s | %s%s",
                status.clipIndex + 1, status.clipCount, status.clipName.c_str(), status.key,
                status.betweenKeys ? "+" : "", status.keyCount - 1, status.modelKey,
                status.firstModelKey, status.lastModelKey, status.seconds,
                FormatSpeed(status.speedExponent).c_str(), status.paused ? " | paused" : "");
  return text;
}

TimelineBar TimelineBar::ForScreen(int32_t screenWidth, int32_t screenHeight) {
  TimelineBar bar;
  bar.left = kLeft;
  bar.height = kHeight;
  bar.top = screenHeight - kBottomMargin - kHeight;
  bar.width = std::max(0, screenWidth - kRightMargin - kLeft);
  if (bar.top < 0) bar.width = 0;
  return bar;
}

bool TimelineBar::Hit(int32_t x, int32_t y) const {
  return width > 0 && x >= left - kGrabMargin && x < left + width + kGrabMargin &&
         y >= top - kGrabMargin && y < top + height + kGrabMargin;
}

double TimelineBar::FractionAt(int32_t x) const {
  if (width <= 0) return 0.0;
  return std::clamp(static_cast<double>(x - left) / width, 0.0, 1.0);
}

int32_t TimelineBar::ColumnOf(double fraction) const {
  return left + static_cast<int32_t>(std::lround(std::clamp(fraction, 0.0, 1.0) * width));
}

void ReviewHud::Draw(CDevice& device, Font& font, const ReviewStatus& status,
                     const AnimationPlayback& playback, bool showHelp, int32_t screenWidth,
                     int32_t screenHeight) const {
  const TimelineBar bar = TimelineBar::ForScreen(screenWidth, screenHeight);
  if (bar.width > 0) {
    DrawScreenRect(device, bar.left, bar.top, bar.width, bar.height, kBarColor);
    const int32_t keys = playback.KeyCount();
    int32_t lastColumn = -1;
    for (int32_t k = 0; k < keys; ++k) {
      const int32_t x = bar.ColumnOf(static_cast<double>(k) / keys);
      // Keys closer than a pixel share one mark.
      if (x == lastColumn) continue;
      lastColumn = x;
      DrawScreenRect(device, x, bar.top + bar.height / 2, 1, bar.height - bar.height / 2,
                     kKeyMarkColor);
    }
    if (keys > 0) {
      const int32_t x = bar.ColumnOf(playback.Fraction());
      DrawScreenRect(device, x - 1, bar.top - 2, 3, bar.height + 4, kPositionColor);
    }
  }
  const int32_t statusY = screenHeight - 2 * kLineHeight - TimelineBar::kBottomMargin;
  font.DrawText(FormatStatusLine(status).c_str(), 0, statusY);
  if (!notice.empty()) font.DrawText(notice.c_str(), 0, statusY - kLineHeight);
  if (showHelp) {
    const int32_t x = screenWidth / 2 + 8;
    for (int32_t i = 0; i < kReviewHelpLineCount; ++i) {
      font.DrawText(kReviewHelpLines[i], x, i * kLineHeight);
    }
  }
}
