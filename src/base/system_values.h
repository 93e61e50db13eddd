#pragma once
// The platform values Kolvane fixes where a desktop would supply its own, so that
// geometry and colours are the same on every machine, headless included.
#include "base/types.h"

namespace kolvane {

// COLOR_BTNFACE and COLOR_WINDOW.
inline constexpr Colour kButtonFaceColour = 0x00F0F0F0;
inline constexpr Colour kWindowColour = 0x00FFFFFF;

// A fixed frame with a title bar: 3 px on each side, a 22 px title bar.
inline constexpr int kFrameSide = 3;
inline constexpr int kTitleBarHeight = 22;
inline constexpr int kCaptionFrameExtraWidth = 2 * kFrameSide;
inline constexpr int kCaptionFrameExtraHeight = 2 * kFrameSide + kTitleBarHeight;

// Child-window edges, per side.
inline constexpr int kStaticEdge = 1;
inline constexpr int kClientEdge = 2;
inline constexpr int kModalFrameEdge = 3;
inline constexpr int kBorderEdge = 1;

// A control's width or height is kept within 0 .. kMaxControlSize.
inline constexpr int kMaxControlSize = 32627;
// A window's left or top is kept within -kMaxWindowPosition .. kMaxWindowPosition.
inline constexpr int kMaxWindowPosition = 32627;
// A progress bar's maximum and position are kept within 0 .. kMaxProgressValue.
inline constexpr int kMaxProgressValue = 32767;

// Bitmaps and pictures above this many pixels cannot be made.
inline constexpr long long kMaxPixels = 1LL << 28;

constexpr int ClampControlSize(int value) {
  return value < 0 ? 0 : (value > kMaxControlSize ? kMaxControlSize : value);
}
constexpr int ClampWindowPosition(int value) {
  return value < -kMaxWindowPosition ? -kMaxWindowPosition
                                     : (value > kMaxWindowPosition ? kMaxWindowPosition : value);
}
constexpr int ClampProgressValue(int value) {
  return value < 0 ? 0 : (value > kMaxProgressValue ? kMaxProgressValue : value);
}

}  // namespace kolvane
