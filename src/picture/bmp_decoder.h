#pragma once
// Windows bitmaps: uncompressed, 1, 4, 8, 24 or 32 bits per pixel.
#include <cstdint>
#include <optional>
#include <span>

#include "picture/picture_decoder.h"

namespace kolvane {

// A kind-2 picture, or nothing for compressed or 16-bit bitmaps, a pixel-data offset
// inside the headers, data cut short, and pictures above max_pixels pixels.
std::optional<DecodedPicture> DecodeBmp(std::span<const std::uint8_t> bytes,
                                        long long max_pixels = kMaxPixels);

}  // namespace kolvane
