#pragma once
// Picture files into decoded pictures. The format is decided by the first six bytes,
// never by a file name. Every entry point takes untrusted bytes and gives a picture
// or the reason there is none; none of them keeps a reference to the bytes.
#include <cstdint>
#include <span>

#include "picture/decoded_picture.h"

namespace kolvane {

// The format the first bytes announce; kNone for fewer than 6 bytes or no match.
PictureFormat DetectPictureFormat(std::span<const std::uint8_t> bytes);

// Decodes the bytes with the decoder of the format they announce.
DecodeResult DecodePicture(std::span<const std::uint8_t> bytes, const DecodeOptions& options = {});

}  // namespace kolvane
