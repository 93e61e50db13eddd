#pragma once
// JPEG through libjpeg, with the library's default decompression parameters.
#include <cstdint>
#include <optional>
#include <span>

#include "picture/picture_decoder.h"

namespace kolvane {

// A kind-1 picture, or nothing for data the library rejects and for pictures above
// max_pixels pixels. Data cut short still gives a picture of full size.
std::optional<DecodedPicture> DecodeJpeg(std::span<const std::uint8_t> bytes,
                                         long long max_pixels = kMaxPixels);

}  // namespace kolvane
