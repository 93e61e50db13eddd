#pragma once
// PNG pictures through libspng, for kolvane-convert: the window program reads the
// seven formats of picture_decoder.h only.
#include <cstdint>
#include <span>

#include "picture/decoded_picture.h"

namespace kolvane {

// Whether the bytes start with the PNG signature.
bool IsPng(std::span<const std::uint8_t> bytes);

// A true-colour kind-8 picture: every colour type and bit depth, interlaced or not,
// with transparency laid over white (as icons are drawn). Refused: data that is not
// a PNG, breaks its rules or is cut short, and pictures above options.max_pixels.
DecodeResult DecodePng(std::span<const std::uint8_t> bytes, const DecodeOptions& options = {});

// A PNG picture when the bytes are one, else DecodePicture's answer.
DecodeResult DecodePictureOrPng(std::span<const std::uint8_t> bytes,
                                const DecodeOptions& options = {});

}  // namespace kolvane
