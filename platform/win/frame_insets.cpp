#include "platform/win/frame_insets.h"

namespace {

constexpr LONG kSizingFrame = 8;
constexpr LONG kDialogFrame = 3;
constexpr LONG kThinBorder = 1;
constexpr LONG kCaption = 23;
constexpr LONG kMenuBar = 20;

}  // namespace

FrameInsets frame_insets(DWORD style, bool menu) {
  LONG frame = 0;
  if (style & WS_THICKFRAME) {
    frame = kSizingFrame;
  } else if (style & WS_DLGFRAME) {
    frame = kDialogFrame;
  } else if (style & WS_BORDER) {
    frame = kThinBorder;
  }
  FrameInsets insets;
  insets.left = insets.right = insets.bottom = frame;
  insets.top = frame;
  if ((style & WS_CAPTION) == WS_CAPTION) insets.top += kCaption;
  if (menu) insets.top += kMenuBar;
  return insets;
}
