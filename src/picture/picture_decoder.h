#pragma once
// Picture files into drawable pictures. The format is decided by the first six bytes,
// never by a file name. Every entry point takes untrusted bytes and gives a result or
// nothing; none of them keeps a reference to the bytes.
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "raster/bitmap.h"
#include "raster/stretch.h"
#include "base/system_values.h"

namespace kolvane {

enum class PictureFormat : int {
  kNone = 0,
  kJpeg = 1,
  kBitmap = 2,
  kIcon = 3,
  kCursor = 4,
  kGif = 5,
  kPcx8 = 6,
  kPcx1 = 7,
};

// The format the first bytes announce; kNone for fewer than 6 bytes or no match.
PictureFormat DetectPictureFormat(std::span<const std::uint8_t> bytes);

// An icon or cursor image as the platform would hold it: colour pixels, the AND mask
// and, for 32-bit images with alpha, per-pixel alpha. Without alpha a pixel lands as
// (target AND mask) XOR colour, so a masked pixel of colour 0 keeps the target.
struct Icon {
  int width = 0;
  int height = 0;
  std::vector<Colour> colour;          // width * height, top row first, 0x00BBGGRR
  std::vector<std::uint8_t> and_mask;  // width * height, 1 = keep the target's pixel
  std::vector<std::uint8_t> alpha;     // width * height, empty when the image has none
};

// A picture decoded from bytes. pixel_data follows the layout of its kind:
//  kJpeg, kBitmap: width*height pixels of blue, green, red; no padding; bottom row first.
//  kGif, kPcx8: a 40-byte BITMAPINFOHEADER (height negative), 256 4-byte table entries
//    (blue, green, red, 0), then one byte per pixel, rows padded to 4 bytes.
//  kPcx1: one bit per pixel, MSB first, rows padded to an even byte count, top row first.
//  kIcon, kCursor: no pixel data; icon holds the image.
struct DecodedPicture {
  PictureFormat kind = PictureFormat::kNone;
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixel_data;
  std::shared_ptr<const Icon> icon;
};

// Decodes the bytes; nothing when they are not a picture of a known format, are
// malformed, or describe a picture above max_pixels pixels (a smaller bound keeps
// fuzzing fast).
std::optional<DecodedPicture> DecodePicture(std::span<const std::uint8_t> bytes,
                                            long long max_pixels = kMaxPixels);

// The drawing state of a target that decides how a picture lands on it.
struct TargetState {
  Colour text_colour = 0x00000000;        // the colour of 0 bits of a one-bit picture
  Colour background_colour = 0x00FFFFFF;  // the colour of 1 bits of a one-bit picture
  StretchMode stretch_mode = StretchMode::kHalftone;
};

// A picture made ready for drawing: a bitmap of the picture's size, or its icon.
struct Drawable {
  int width = 0;
  int height = 0;
  std::optional<Bitmap> bitmap;        // kinds 1, 2, 5, 6
  std::vector<std::uint8_t> mono;      // kind 7: width*height values 0 or 1, top row first
  std::shared_ptr<const Icon> icon;    // kinds 3, 4
};

// Makes the drawable form; nothing when the bitmap cannot be made.
std::optional<Drawable> MakeDrawable(const DecodedPicture& picture);

// Draws the whole picture stretched into (x, y, width, height); -1 for a side means
// the picture's own, any other side below 1 draws nothing. Only pixels inside clip and
// the target are written. Icons honour their AND mask and alpha and stretch by nearest
// pixel; one-bit pictures take the target's text and background colours.
void DrawDecodedPicture(Bitmap& target, const Drawable& drawable, int x, int y, int width,
                        int height, const TargetState& state, const Rect& clip);

}  // namespace kolvane
