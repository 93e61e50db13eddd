#pragma once
// PCX: 8 bits per pixel with the closing palette, or 1 bit per pixel.
#include <cstdint>
#include <optional>
#include <span>

#include "picture/picture_decoder.h"

namespace kolvane {

// A kind-6 or kind-7 picture, or nothing for data the decoder rejects.
std::optional<DecodedPicture> DecodePcx(std::span<const std::uint8_t> bytes);

}  // namespace kolvane
