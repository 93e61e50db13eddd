#pragma once
// What the decoders give: a picture as the pixels its file holds (true colour,
// indexed with a palette, one bit per pixel, or an icon with its mask), or the reason
// it could not be decoded.
#include <array>
#include <cstdint>
#include <string_view>
#include <variant>
#include <vector>

#include "base/expected.h"
#include "base/system_values.h"
#include "base/types.h"
#include "raster/bitmap.h"

namespace kolvane {

// The formats told apart by a file's first bytes; the numbers are the picture kinds.
enum class PictureFormat : int {
  kNone = 0,
  kJpeg = 1,
  kBitmap = 2,
  kIcon = 3,
  kCursor = 4,
  kGif = 5,
  kPcx8 = 6,
  kPcx1 = 7,
  kPng = 8,  // read by kolvane-convert only: the windows read the seven above
};

// Why bytes give no picture.
enum class PictureError {
  kUnknownFormat,  // the first bytes announce no format that is read here
  kTruncated,      // the data ends before what its headers announce
  kMalformed,      // headers or data that break their format's rules
  kUnsupported,    // a valid variant of its format that is not read here
  kTooLarge,       // more pixels than a picture may have
  kNoImage,        // a well-formed file that holds no image
};

// A short English phrase for the reason, for messages to the user.
std::string_view DescribePictureError(PictureError error);

// Limits every decoder honours.
struct DecodeOptions {
  // Pictures with more pixels are refused with kTooLarge before their pixels are
  // allocated (a bound below kMaxPixels keeps fuzzing fast).
  long long max_pixels = kMaxPixels;
  // The least width and height the caller needs. A JPEG is decoded at the smallest
  // scale that still gives them (the picture's width and height are then the scaled
  // ones); other formats always give their own size. 0: the picture's own size.
  int min_width = 0;
  int min_height = 0;
};

// One byte per pixel, top row first, looked up in a 256-entry palette; entries the
// file does not give are black.
struct IndexedPixels {
  int width = 0;
  int height = 0;
  std::array<Colour, 256> palette{};
  std::vector<std::uint8_t> indices;  // width * height
  // Planes the file declares; a device bitmap is made of one plane only.
  int planes = 1;
};

// One value, 0 or 1, per pixel, top row first; drawn in the target's colours.
struct MonoPixels {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> values;  // width * height
};

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

// A decoded picture: its kind, its size, and its pixels. JPEG and Windows bitmap
// pictures are true colour, GIF and 8-bit PCX pictures indexed (a GIF's first image,
// whose own size may differ from the picture's logical-screen size), 1-bit PCX
// pictures one bit per pixel, icon and cursor files an icon.
struct DecodedPicture {
  PictureFormat kind = PictureFormat::kNone;
  int width = 0;
  int height = 0;
  std::variant<Bitmap, IndexedPixels, MonoPixels, Icon> pixels;
};

using DecodeResult = Expected<DecodedPicture, PictureError>;

// A picture's width and height.
struct PictureSize {
  int width = 0;
  int height = 0;
  bool operator==(const PictureSize&) const = default;
};

}  // namespace kolvane
