#pragma once
// The settings a canvas is created with (plain data, part of a window definition).
#include <cstdint>
#include <optional>
#include <span>

#include "platform/types.h"

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

// The parts of a font record that decide the font; character set, precisions,
// quality and pitch are replaced at creation and so are not kept.
struct FontRecord {
  int height = 0;  // negative: character height in pixels; positive: cell height
  int width = 0;
  int escapement = 0;
  int orientation = 0;
  int weight = 400;
  bool italic = false;
  bool underline = false;
  bool strike_out = false;
  Text face_name;  // code page 936
};

struct CanvasSettings {
  BorderStyle border_style = BorderStyle::kNone;
  Colour background_colour = kSystemColourMarker;
  std::span<const std::uint8_t> background_picture;  // built-in bytes, copied at creation
  PicturePlacement picture_placement = PicturePlacement::kTopLeft;
  bool auto_redraw = true;
  int coordinate_mode = 0;
  int pen_style = 1;
  int pen_width = 0;
  Colour pen_colour = 0;
  int brush_style = 1;
  Colour brush_colour = 0x00FFFFFF;
  int draw_mode = 12;
  Colour text_colour = 0;
  Colour text_background_colour = kSystemColourMarker;
  std::optional<FontRecord> font;  // none: the default GUI font
};

// The width or height of each side of the frame a border style gives.
int FrameEdge(BorderStyle style);

}  // namespace kolvane
