#pragma once
// The pixel size of a picture file, measured the way the Load command needs it: the
// file is read anew, decoded whole and made into a bitmap, whose size is the answer.
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "picture/decoded_picture.h"
#include "raster/bitmap.h"

namespace kolvane {

// A bitmap of the decoded picture's exact size: icons and cursors drawn at their
// natural size on white, other pictures as their drawable bitmap; nothing when the
// bytes (fewer than 6 always) are not a picture that can be decoded and made.
std::optional<Bitmap> PictureBytesToBitmap(std::span<const std::uint8_t> bytes);

// The same for a picture decoded already, taking over its pixels.
std::optional<Bitmap> BitmapOfPicture(DecodedPicture picture);

// The width or height of the picture in the file at path (file-system bytes, as for
// ReadWholeFile): from its decoded bitmap, else from the bitmap-file loader, else 0.
// Not clamped to a control's size; the canvas does that.
int PictureFileWidth(const std::string& path);
int PictureFileHeight(const std::string& path);

}  // namespace kolvane
