#pragma once
// The settings a canvas is created with (plain data, part of a window definition).
#include <cstdint>
#include <optional>
#include <span>

#include "base/types.h"
#include "text/font_record.h"

namespace kolvane {

enum class BorderStyle : int {
  kNone = 0,
  kClientEdge = 1,
  kModalFrame = 2,
  kStaticEdge = 3,
  kClientEdgeAndModalFrame = 4,
  kBorder = 5,
};

enum class PicturePlacement : int {
  kTopLeft = 0,        // natural size at the top-left corner
  kTiled = 1,          // natural size, repeated over the whole area
  kCentredShrunk = 2,  // centred; shrunk, keeping its aspect, when it does not fit
};

struct CanvasSettings {
  BorderStyle border_style = BorderStyle::kNone;
  Colour background_colour = kSystemColourMarker;
  std::span<const std::uint8_t> background_picture;  // built-in bytes, copied at creation
  PicturePlacement picture_placement = PicturePlacement::kTopLeft;
  Colour text_colour = 0;
  Colour text_background_colour = kSystemColourMarker;
  std::optional<FontRecord> font;  // none: the default GUI font
};

// The width or height of each side of the frame a border style gives.
int FrameEdge(BorderStyle style);

}  // namespace kolvane
