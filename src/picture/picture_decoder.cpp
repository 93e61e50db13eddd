#include "picture/picture_decoder.h"

#include <climits>
#include <cstring>

#include "picture/bmp_decoder.h"
#include "picture/gif_decoder.h"
#include "picture/icon_decoder.h"
#include "picture/jpeg_decoder.h"
#include "picture/pcx_decoder.h"

namespace kolvane {
namespace {

std::uint16_t Word(std::span<const std::uint8_t> bytes, std::size_t at) {
  return static_cast<std::uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}

}  // namespace

std::string_view DescribePictureError(PictureError error) {
  switch (error) {
    case PictureError::kUnknownFormat:
      return "not a JPEG, Windows bitmap, GIF, icon, cursor or PCX picture";
    case PictureError::kTruncated:
      return "the picture data ends before the picture does";
    case PictureError::kMalformed:
      return "the picture data is malformed";
    case PictureError::kUnsupported:
      return "a variant of its format that is not read (for example a compressed or 16-bit "
             "bitmap)";
    case PictureError::kTooLarge:
      return "the picture has more than 268,435,456 pixels";
    case PictureError::kNoImage:
      return "the file holds no image";
  }
  return "the picture cannot be decoded";
}

PictureFormat DetectPictureFormat(std::span<const std::uint8_t> bytes) {
  if (bytes.size() < 6) return PictureFormat::kNone;
  const std::uint8_t* b = bytes.data();
  if (b[0] == 'B' && b[1] == 'M') return PictureFormat::kBitmap;
  if (b[0] == 0xFF && b[1] == 0xD8) return PictureFormat::kJpeg;
  if (Word(bytes, 0) == 0 && Word(bytes, 2) == 1 && Word(bytes, 4) != 0) {
    return PictureFormat::kIcon;
  }
  if (Word(bytes, 0) == 0 && Word(bytes, 2) == 2 && Word(bytes, 4) != 0) {
    return PictureFormat::kCursor;
  }
  if (std::memcmp(b, "GIF87a", 6) == 0 || std::memcmp(b, "GIF89a", 6) == 0) {
    return PictureFormat::kGif;
  }
  if (b[0] == 0x0A && b[1] <= 5 && b[2] == 1 && b[3] == 8) return PictureFormat::kPcx8;
  if (b[0] == 0x0A && b[1] == 3 && b[2] == 1 && b[3] == 1) return PictureFormat::kPcx1;
  return PictureFormat::kNone;
}

DecodeResult DecodePicture(std::span<const std::uint8_t> bytes, const DecodeOptions& options) {
  // Picture bytes are a block with a 32-bit signed length.
  if (bytes.size() > static_cast<std::size_t>(INT32_MAX)) return PictureError::kTooLarge;
  switch (DetectPictureFormat(bytes)) {
    case PictureFormat::kJpeg:
      return DecodeJpeg(bytes, options);
    case PictureFormat::kBitmap:
      return DecodeBmp(bytes, options);
    case PictureFormat::kIcon:
    case PictureFormat::kCursor:
      return DecodeIcon(bytes, options);
    case PictureFormat::kGif:
      return DecodeGif(bytes, options);
    case PictureFormat::kPcx8:
    case PictureFormat::kPcx1:
      return DecodePcx(bytes, options);
    case PictureFormat::kPng:  // never detected here: see picture/png/
    case PictureFormat::kNone:
      break;
  }
  return PictureError::kUnknownFormat;
}

}  // namespace kolvane
