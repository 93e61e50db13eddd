#pragma once
// GIF87a / GIF89a: the first image, on a picture of the logical screen's size.
#include <cstdint>
#include <optional>
#include <span>

#include "picture/picture_decoder.h"

namespace kolvane {

// A kind-5 picture, or nothing for data the decoder rejects.
std::optional<DecodedPicture> DecodeGif(std::span<const std::uint8_t> bytes);

}  // namespace kolvane
