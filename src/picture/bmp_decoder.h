#pragma once
// Windows bitmaps: uncompressed, 1, 4, 8, 24 or 32 bits per pixel.
#include <cstdint>
#include <span>

#include "picture/decoded_picture.h"

namespace kolvane {

// A true-colour kind-2 picture. Refused: compressed or 16-bit bitmaps (kUnsupported),
// a pixel-data offset inside the headers, data cut short, pictures above
// options.max_pixels pixels.
DecodeResult DecodeBmp(std::span<const std::uint8_t> bytes, const DecodeOptions& options = {});

}  // namespace kolvane
