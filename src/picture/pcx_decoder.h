#pragma once
// PCX: 8 bits per pixel with the closing palette, or 1 bit per pixel.
#include <cstdint>
#include <span>

#include "picture/decoded_picture.h"

namespace kolvane {

// A kind-6 picture of indexed pixels or a kind-7 picture of one bit per pixel, or
// the reason the data is refused.
DecodeResult DecodePcx(std::span<const std::uint8_t> bytes, const DecodeOptions& options = {});

}  // namespace kolvane
