#pragma once
// Stretching one bitmap into a rectangle of another: StretchBlt with SRCCOPY.
#include "raster/bitmap.h"

namespace kolvane {

enum class StretchMode {
  kHalftone,       // area averaging: every destination pixel is the mean of the source
                   // area it covers (used on displays of more than 16 bits per pixel)
  kColourOnColour  // nearest pixel: no blending
};

// Draws all of source stretched into destination (which may lie partly outside the
// target), writing only pixels inside clip and the target.
void StretchCopy(Bitmap& target, const Rect& destination, const Bitmap& source,
                 StretchMode mode, const Rect& clip);

}  // namespace kolvane
