#pragma once
// Pictures of canvases saved as PNG files.
#include "raster/bitmap.h"
#include "base/types.h"

namespace kolvane {

// The part of bitmap inside area (clipped to the bitmap) as the bytes of an 8-bit RGB
// PNG file; empty when nothing of area lies inside the bitmap.
ByteBlock EncodePng(const Bitmap& bitmap, const Rect& area);

}  // namespace kolvane
