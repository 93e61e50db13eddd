#pragma once
// GIF87a / GIF89a: the first image, on a picture of the logical screen's size.
#include <cstdint>
#include <span>

#include "picture/decoded_picture.h"

namespace kolvane {

// A kind-5 picture of the logical screen's size holding the first image's indexed
// pixels and colour table (the local one, else the global one), or the reason the
// data is refused.
DecodeResult DecodeGif(std::span<const std::uint8_t> bytes, const DecodeOptions& options = {});

}  // namespace kolvane
