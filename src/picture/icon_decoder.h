#pragma once
// Icon (.ico) and cursor (.cur) files, and our stand-in for the platform's making of
// an icon from one image of such a file.
#include <cstdint>
#include <span>

#include "base/expected.h"
#include "picture/decoded_picture.h"

namespace kolvane {

// A kind-3 (icon file) or kind-4 (cursor file) picture made from the directory's
// chosen image: the first entry 32 wide with at least 16 colours, else the last.
// Refused: a bad directory, an image cut short or one that makes no icon.
DecodeResult DecodeIcon(std::span<const std::uint8_t> bytes, const DecodeOptions& options = {});

// The icon of one image: a BITMAPINFOHEADER whose height counts both bitmaps, the
// colour table, the XOR bitmap (1, 4, 8, 24 or 32 bits) and the AND mask, rows
// bottom-up and padded to 4 bytes. PNG images are refused as kUnsupported.
Expected<Icon, PictureError> CreateIconFromImage(std::span<const std::uint8_t> image,
                                                 const DecodeOptions& options = {});

}  // namespace kolvane
