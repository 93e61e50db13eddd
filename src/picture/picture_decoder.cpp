#include "picture/picture_decoder.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "picture/bmp_decoder.h"
#include "picture/gif_decoder.h"
#include "picture/icon_decoder.h"
#include "picture/jpeg_decoder.h"
#include "picture/pcx_decoder.h"
#include "base/byte_reader.h"

namespace kolvane {
namespace {

// The stored 8-bit bitmaps of kinds 5 and 6: a 40-byte BITMAPINFOHEADER, 256 table
// entries, rows of one byte per pixel padded to 4 bytes.
constexpr std::size_t kInfoHeaderSize = 40;
constexpr std::size_t kTableEntries = 256;

std::uint16_t Word(std::span<const std::uint8_t> bytes, std::size_t at) {
  return static_cast<std::uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}

// A stored 8-bit bitmap, located in its data.
struct StoredDib {
  int width = 0;
  int rows = 0;
  bool top_down = false;
  const std::uint8_t* table = nullptr;   // 256 entries of blue, green, red, 0
  const std::uint8_t* pixels = nullptr;  // rows of one byte per pixel, padded to 4
  std::size_t stride = 0;
};

// Checks the stored header against its data. As with the platform's device bitmaps
// made from DIBs, a height below 0 means the rows run from the top, and a plane count
// other than 1 makes no bitmap.
std::optional<StoredDib> ReadStoredDib(std::span<const std::uint8_t> data) {
  ByteReader reader(data);
  const auto size = reader.U32();
  const auto width = reader.I32();
  const auto height = reader.I32();
  const auto planes = reader.U16();
  const auto bits = reader.U16();
  const auto compression = reader.U32();
  if (!compression || *size != kInfoHeaderSize || *planes != 1 || *bits != 8 ||
      *compression != 0 || *width <= 0 || *height == 0 || *height == INT32_MIN) {
    return std::nullopt;
  }
  StoredDib dib;
  dib.width = *width;
  dib.rows = *height < 0 ? -*height : *height;
  dib.top_down = *height < 0;
  dib.stride = (static_cast<std::size_t>(dib.width) + 3) & ~std::size_t{3};
  reader.Seek(kInfoHeaderSize);
  const auto table = reader.Bytes(kTableEntries * 4);
  if (!table || dib.stride > reader.Remaining() / static_cast<std::size_t>(dib.rows)) {
    return std::nullopt;
  }
  dib.table = table->data();
  dib.pixels = data.data() + reader.Position();
  return dib;
}

// Copies the part of the stored bitmap that the target can hold to its top-left
// corner (BitBlt with SRCCOPY from the device bitmap); the rest of the target stays.
void CopyStoredDib(const StoredDib& dib, Bitmap& target) {
  Colour table[kTableEntries];
  for (std::size_t i = 0; i < kTableEntries; ++i) {
    const std::uint8_t* quad = dib.table + 4 * i;
    table[i] = MakeColour(quad[2], quad[1], quad[0]);
  }
  const int width = std::min(dib.width, target.Width());
  const int rows = std::min(dib.rows, target.Height());
  for (int y = 0; y < rows; ++y) {
    const int stored_row = dib.top_down ? y : dib.rows - 1 - y;
    const std::uint8_t* in = dib.pixels + static_cast<std::size_t>(stored_row) * dib.stride;
    Colour* out = target.Row(y);
    for (int x = 0; x < width; ++x) out[x] = table[in[x]];
  }
}

// Kinds 1 and 2: blue, green, red without padding, the bottom row first.
std::optional<Bitmap> BitmapFromBgrRows(const DecodedPicture& picture) {
  auto bitmap = Bitmap::Create(picture.width, picture.height);
  if (!bitmap) return std::nullopt;
  const std::size_t stride = static_cast<std::size_t>(picture.width) * 3;
  if (picture.pixel_data.size() / stride < static_cast<std::size_t>(picture.height)) {
    return std::nullopt;
  }
  for (int y = 0; y < picture.height; ++y) {
    const std::uint8_t* in =
        picture.pixel_data.data() + static_cast<std::size_t>(picture.height - 1 - y) * stride;
    Colour* out = bitmap->Row(y);
    for (int x = 0; x < picture.width; ++x, in += 3) out[x] = MakeColour(in[2], in[1], in[0]);
  }
  return bitmap;
}

// Kind 7: one bit per pixel, rows padded to an even byte count, the top row first.
std::optional<std::vector<std::uint8_t>> MonoValues(const DecodedPicture& picture) {
  if (picture.width <= 0 || picture.height <= 0 ||
      picture.width > kMaxPixels / picture.height) {
    return std::nullopt;
  }
  const auto width = static_cast<std::size_t>(picture.width);
  const auto height = static_cast<std::size_t>(picture.height);
  const std::size_t stride = (width + 15) / 16 * 2;
  if (picture.pixel_data.size() / stride < height) return std::nullopt;
  std::vector<std::uint8_t> values(width * height);
  for (std::size_t y = 0; y < height; ++y) {
    const std::uint8_t* row = picture.pixel_data.data() + y * stride;
    for (std::size_t x = 0; x < width; ++x) {
      values[y * width + x] = (row[x / 8] >> (7 - x % 8)) & 1;
    }
  }
  return values;
}

// The part of destination inside clip and the target, in 64 bits so that callers'
// large coordinates cannot overflow.
Rect VisiblePart(const Bitmap& target, const Rect& destination, const Rect& clip) {
  const std::int64_t left = std::max<std::int64_t>({destination.left, clip.left, 0});
  const std::int64_t top = std::max<std::int64_t>({destination.top, clip.top, 0});
  const std::int64_t right = std::min<std::int64_t>(
      {std::int64_t{destination.left} + destination.width,
       std::int64_t{clip.left} + clip.width, target.Width()});
  const std::int64_t bottom = std::min<std::int64_t>(
      {std::int64_t{destination.top} + destination.height,
       std::int64_t{clip.top} + clip.height, target.Height()});
  if (right <= left || bottom <= top) return {};
  return {static_cast<int>(left), static_cast<int>(top), static_cast<int>(right - left),
          static_cast<int>(bottom - top)};
}

std::uint8_t Blend(std::uint8_t over, std::uint8_t under, unsigned alpha) {
  return static_cast<std::uint8_t>((over * alpha + under * (255 - alpha) + 127) / 255);
}

// DrawIconEx with DI_NORMAL, stretched by nearest pixel: alpha blending when the image
// has alpha, otherwise the target ANDed with the mask and XORed with the colour.
void DrawIcon(Bitmap& target, const Icon& icon, const Rect& destination, const Rect& clip) {
  if (icon.width < 1 || icon.height < 1) return;
  const std::size_t count = static_cast<std::size_t>(icon.width) * icon.height;
  if (icon.colour.size() < count || icon.and_mask.size() < count) return;
  const bool has_alpha = icon.alpha.size() >= count;
  const Rect visible = VisiblePart(target, destination, clip);
  for (int j = 0; j < visible.height; ++j) {
    const std::int64_t dy = std::int64_t{visible.top} + j - destination.top;
    const auto sy = static_cast<std::size_t>((2 * dy + 1) * icon.height /
                                             (2 * std::int64_t{destination.height}));
    Colour* out = target.Row(visible.top + j);
    for (int i = 0; i < visible.width; ++i) {
      const std::int64_t dx = std::int64_t{visible.left} + i - destination.left;
      const auto sx = static_cast<std::size_t>((2 * dx + 1) * icon.width /
                                               (2 * std::int64_t{destination.width}));
      const std::size_t at = sy * static_cast<std::size_t>(icon.width) + sx;
      Colour& pixel = out[visible.left + i];
      const Colour colour = icon.colour[at] & 0x00FFFFFF;
      if (has_alpha) {
        const unsigned a = icon.alpha[at];
        pixel = MakeColour(Blend(RedOf(colour), RedOf(pixel), a),
                           Blend(GreenOf(colour), GreenOf(pixel), a),
                           Blend(BlueOf(colour), BlueOf(pixel), a));
      } else {
        pixel = ((icon.and_mask[at] != 0 ? pixel : 0) ^ colour) & 0x00FFFFFF;
      }
    }
  }
}

}  // namespace

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

std::optional<DecodedPicture> DecodePicture(std::span<const std::uint8_t> bytes,
                                            long long max_pixels) {
  // Picture bytes are a block with a 32-bit signed length.
  if (bytes.empty() || bytes.size() > static_cast<std::size_t>(INT32_MAX)) return std::nullopt;
  ByteReader reader(bytes);
  const PictureFormat format = DetectPictureFormat(reader.ReadUpTo(6));
  reader.Seek(0);
  std::optional<DecodedPicture> picture;
  switch (format) {
    case PictureFormat::kJpeg:
      picture = DecodeJpeg(reader.Data(), max_pixels);
      break;
    case PictureFormat::kBitmap:
      picture = DecodeBmp(reader.Data(), max_pixels);
      break;
    case PictureFormat::kIcon:
    case PictureFormat::kCursor:
      picture = DecodeIcon(reader.Data(), max_pixels);
      break;
    case PictureFormat::kGif:
      picture = DecodeGif(reader.Data());
      break;
    case PictureFormat::kPcx8:
    case PictureFormat::kPcx1:
      picture = DecodePcx(reader.Data());
      break;
    case PictureFormat::kNone:
      break;
  }
  // The GIF and PCX decoders bound their pictures by kMaxPixels; a smaller bound
  // asked for here applies to them too.
  if (picture && static_cast<long long>(picture->width) * picture->height > max_pixels) {
    return std::nullopt;
  }
  return picture;
}

std::optional<Drawable> MakeDrawable(const DecodedPicture& picture) {
  Drawable drawable;
  drawable.width = picture.width;
  drawable.height = picture.height;
  switch (picture.kind) {
    case PictureFormat::kIcon:
    case PictureFormat::kCursor:
      if (!picture.icon || picture.icon->width != picture.width ||
          picture.icon->height != picture.height) {
        return std::nullopt;
      }
      drawable.icon = picture.icon;
      return drawable;
    case PictureFormat::kJpeg:
    case PictureFormat::kBitmap:
      drawable.bitmap = BitmapFromBgrRows(picture);
      break;
    case PictureFormat::kGif:
    case PictureFormat::kPcx8: {
      // A GIF's first image lies at the top-left corner of a logical-screen-sized
      // bitmap whose other pixels keep a new bitmap's black; a PCX picture is its
      // stored bitmap.
      const auto dib = ReadStoredDib(picture.pixel_data);
      if (!dib || (picture.kind == PictureFormat::kPcx8 &&
                   (dib->width != picture.width || dib->rows != picture.height))) {
        return std::nullopt;
      }
      drawable.bitmap = Bitmap::Create(picture.width, picture.height);
      if (drawable.bitmap) CopyStoredDib(*dib, *drawable.bitmap);
      break;
    }
    case PictureFormat::kPcx1: {
      auto values = MonoValues(picture);
      if (!values) return std::nullopt;
      drawable.mono = std::move(*values);
      return drawable;
    }
    case PictureFormat::kNone:
      return std::nullopt;
  }
  if (!drawable.bitmap) return std::nullopt;
  return drawable;
}

void DrawDecodedPicture(Bitmap& target, const Drawable& drawable, int x, int y, int width,
                        int height, const TargetState& state, const Rect& clip) {
  if (width == -1) width = drawable.width;
  if (height == -1) height = drawable.height;
  if (width <= 0 || height <= 0) return;
  const Rect destination{x, y, width, height};
  if (drawable.icon) {
    DrawIcon(target, *drawable.icon, destination, clip);
  } else if (drawable.bitmap) {
    StretchCopy(target, destination, *drawable.bitmap, state.stretch_mode, clip);
  } else if (!drawable.mono.empty()) {
    // A one-bit picture on a colour target takes the target's colours: 0 bits the text
    // colour, 1 bits the background colour.
    auto bitmap = Bitmap::Create(drawable.width, drawable.height);
    const std::size_t count = static_cast<std::size_t>(drawable.width) * drawable.height;
    if (!bitmap || drawable.mono.size() < count) return;
    const Colour colours[2] = {state.text_colour & 0x00FFFFFF,
                               state.background_colour & 0x00FFFFFF};
    Colour* out = bitmap->Row(0);
    for (std::size_t i = 0; i < count; ++i) out[i] = colours[drawable.mono[i] & 1];
    StretchCopy(target, destination, *bitmap, state.stretch_mode, clip);
  }
}

}  // namespace kolvane
