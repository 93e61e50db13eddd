#pragma once
// Decoded pictures made ready for drawing, and their drawing onto a bitmap.
#include <optional>
#include <variant>

#include "picture/decoded_picture.h"
#include "raster/bitmap.h"
#include "raster/stretch.h"

namespace kolvane {

// The drawing state of a target that decides how a picture lands on it.
struct TargetState {
  Colour text_colour = 0x00000000;        // the colour of 0 bits of a one-bit picture
  Colour background_colour = 0x00FFFFFF;  // the colour of 1 bits of a one-bit picture
  StretchMode stretch_mode = StretchMode::kHalftone;
};

// A picture made ready for drawing: a bitmap of the picture's size, one-bit pixels
// that take the target's colours when drawn, or an icon.
struct Drawable {
  int width = 0;
  int height = 0;
  std::variant<Bitmap, MonoPixels, Icon> image;
};

// The drawable form of a picture, taking over its pixels; nothing when the bitmap
// cannot be made (an indexed picture of more than one plane, pixels that do not fit
// the picture's size).
std::optional<Drawable> MakeDrawable(DecodedPicture picture);

// Draws the whole picture stretched into (x, y, width, height); -1 for a side means
// the picture's own, any other side below 1 draws nothing. Only pixels inside clip and
// the target are written. Icons honour their AND mask and alpha and stretch by nearest
// pixel; one-bit pictures take the target's text and background colours.
void DrawDecodedPicture(Bitmap& target, const Drawable& drawable, int x, int y, int width,
                        int height, const TargetState& state, const Rect& clip);

}  // namespace kolvane
