#pragma once
// JPEG through libjpeg, with the library's default decompression parameters.
#include <cstdint>
#include <optional>
#include <span>

#include "picture/decoded_picture.h"

namespace kolvane {

// A true-colour kind-1 picture, or the reason the library or the limits refuse the
// data. Data cut short still gives a picture of full size (of the scaled size, when
// options ask for a smaller one).
DecodeResult DecodeJpeg(std::span<const std::uint8_t> bytes, const DecodeOptions& options = {});

// The picture's own width and height from its header, without decoding it; nothing
// when the library rejects the header.
std::optional<PictureSize> ReadJpegSize(std::span<const std::uint8_t> bytes);

}  // namespace kolvane
