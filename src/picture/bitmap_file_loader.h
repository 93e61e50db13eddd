#pragma once
// Our stand-in for the platform's loader of Windows bitmap files (a DIB section at
// the file's own size): it checks that a bitmap could be made from the file and
// gives its size, without decoding the pixels.
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "picture/decoded_picture.h"

namespace kolvane {


// The width and absolute height stored in a well-formed Windows bitmap file (any
// standard header, uncompressed, run-length or bit-field pixels lying inside the
// file, at most kMaxPixels pixels); nothing for every other file.
std::optional<PictureSize> ReadBitmapFileSize(std::span<const std::uint8_t> bytes);

// ReadBitmapFileSize of the file at path, read from disk anew.
std::optional<PictureSize> LoadBitmapFileSize(const std::string& path);

}  // namespace kolvane
