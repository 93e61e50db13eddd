#pragma once
// JPEG through libjpeg, with the library's default decompression parameters.
#include <cstdint>
#include <span>

#include "picture/decoded_picture.h"

namespace kolvane {

// A true-colour kind-1 picture, or the reason the library or the limits refuse the
// data. Data cut short still gives a picture of full size.
DecodeResult DecodeJpeg(std::span<const std::uint8_t> bytes, const DecodeOptions& options = {});

}  // namespace kolvane
