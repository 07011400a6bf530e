#include "render/review_hud.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "render/animation_playback.h"

namespace {

TEST(ReviewHudTest, StatusLineNamesClipKeyRangeTimeSpeedAndPause) {
  ReviewStatus walk;
  walk.clipName = "walk";
  walk.clipIndex = 1;
  walk.clipCount = 3;
  walk.key = 3;
  walk.keyCount = 8;
  walk.modelKey = 14;
  walk.firstModelKey = 10;
  walk.lastModelKey = 17;
  walk.seconds = 0.16;
  walk.speedExponent = -1;
  walk.paused = true;
  ReviewStatus between = walk;
  between.betweenKeys = true;
  between.paused = false;
  between.speedExponent = 4;
  ReviewStatus none;
  none.clipIndex = 2;
  none.clipCount = 2;
  ReviewStatus still;  // a model without clips

  struct Case {
    const ReviewStatus* status;
    const char* expected;
  };
  const std::vector<Case> cases = {
      {&walk, "clip 2/3 walk | key 3 of 0-7 (model key 14 of 10-17) | 0.16 s | x1/2 | paused"},
      {&between, "clip 2/3 walk | key 3+ of 0-7 (model key 14 of 10-17) | 0.16 s | x16"},
      // The no-argument viewer can start on an index past its model's clips.
      {&none, "no clip (3 of 2) | x1"},
      {&still, "no animation | x1"},
  };
  for (const Case& c : cases) EXPECT_EQ(FormatStatusLine(*c.status), c.expected);

  // A clip name as long as the line allows is cut, never overrun.
  ReviewStatus longName = walk;
  longName.clipName.assign(2000, 'n');
  EXPECT_LT(FormatStatusLine(longName).size(), 512u);
}

TEST(ReviewHudTest, TimelineColumnsAndFractionsMapBothWays) {
  const TimelineBar bar = TimelineBar::ForScreen(800, 600);
  ASSERT_GT(bar.width, 0);
  EXPECT_EQ(bar.top + bar.height + TimelineBar::kBottomMargin, 600);
  EXPECT_EQ(bar.left + bar.width + TimelineBar::kRightMargin, 800);

  struct Case {
    int32_t column;
    double fraction;
  };
  const std::vector<Case> cases = {
      {bar.left, 0.0},
      {bar.left + bar.width / 2, 0.5},
      {bar.left + bar.width, 1.0},
      {bar.left - 50, 0.0},              // left of the bar: its start
      {bar.left + bar.width + 50, 1.0},  // right of it: its end
  };
  for (const Case& c : cases) {
    EXPECT_DOUBLE_EQ(bar.FractionAt(c.column), c.fraction) << c.column;
  }
  for (int32_t column = bar.left; column <= bar.left + bar.width; column += 7) {
    EXPECT_EQ(bar.ColumnOf(bar.FractionAt(column)), column);
  }

  // A click on a key's mark lands on that key.
  AnimationPlayback playback;
  playback.SetClip(8, 40);
  for (int32_t key = 0; key < 8; ++key) {
    playback.SeekToFraction(bar.FractionAt(bar.ColumnOf(key / 8.0)));
    EXPECT_NEAR(playback.Position(), key, 8.0 / bar.width) << key;
  }

  EXPECT_TRUE(bar.Hit(bar.left, bar.top));
  EXPECT_TRUE(bar.Hit(bar.left + bar.width - 1, bar.top + bar.height - 1));
  EXPECT_FALSE(bar.Hit(bar.left, bar.top - 20));
  EXPECT_FALSE(bar.Hit(10, bar.top));  // the frame-rate line, left of the bar

  // A window too small for a bar has none, and nothing hits it.
  const TimelineBar tiny = TimelineBar::ForScreen(50, 8);
  EXPECT_EQ(tiny.width, 0);
  EXPECT_FALSE(tiny.Hit(0, 0));
  EXPECT_EQ(tiny.FractionAt(30), 0.0);
}

TEST(ReviewHudTest, SpeedReadsAsAFactor) {
  EXPECT_EQ(FormatSpeed(0), "x1");
  EXPECT_EQ(FormatSpeed(4), "x16");
  EXPECT_EQ(FormatSpeed(-4), "x1/16");
}

}  // namespace
