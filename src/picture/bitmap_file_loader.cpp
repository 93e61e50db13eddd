#include "picture/bitmap_file_loader.h"

#include <cstdlib>

#include "picture/read_whole_file.h"
#include "base/byte_reader.h"
#include "picture/bmp_headers.h"
#include "base/system_values.h"

namespace kolvane {
namespace {

bool IsKnownHeaderSize(std::uint32_t size) {
  // BITMAPCOREHEADER, BITMAPINFOHEADER, the V2 and V3 extensions, V4 and V5.
  return size == kBmpCoreHeaderSize || size == kBmpInfoHeaderSize || size == 52 || size == 56 ||
         size == 108 || size == 124;
}

// Whether a DIB section can be made of this bit count and compression. JPEG and PNG
// pixels are only ever handed to printers, never made into a DIB section, and
// run-length pixels cannot be stored top-down.
bool IsLoadableFormat(const BmpInfoHeader& f, bool core) {
  if (core) return f.bits == 1 || f.bits == 4 || f.bits == 8 || f.bits == 24;
  switch (f.compression) {
    case BmpCompression::kRgb:
      return f.bits == 1 || f.bits == 4 || f.bits == 8 || f.bits == 16 || f.bits == 24 ||
             f.bits == 32;
    case BmpCompression::kRle8:
      return f.bits == 8 && f.height > 0;
    case BmpCompression::kRle4:
      return f.bits == 4 && f.height > 0;
    case BmpCompression::kBitFields:
    case BmpCompression::kAlphaBitFields:
      return f.bits == 16 || f.bits == 32;
    case BmpCompression::kJpeg:
    case BmpCompression::kPng:
      break;
  }
  return false;
}

// Bytes of the colour masks that follow a plain BITMAPINFOHEADER; the later headers
// carry their masks inside.
std::uint64_t MaskBytes(const BmpInfoHeader& f) {
  if (f.size != kBmpInfoHeaderSize) return 0;
  if (f.compression == BmpCompression::kBitFields) return 12;
  if (f.compression == BmpCompression::kAlphaBitFields) return 16;
  return 0;
}

// Bytes of the colour table. A paletted bitmap's table holds colours_used entries, all
// its bits can index when that is 0; entries beyond those are never looked up, so a
// larger count is taken as the full table. Other bitmaps may carry colours_used
// entries as a palette hint.
std::uint64_t TableBytes(const BmpInfoHeader& f, bool core) {
  const std::uint64_t entry_size = core ? 3 : 4;  // RGBTRIPLE or RGBQUAD
  if (f.bits <= 8) {
    const std::uint64_t full = std::uint64_t{1} << f.bits;
    const std::uint64_t used = core || f.colours_used == 0 ? full : f.colours_used;
    return (used < full ? used : full) * entry_size;
  }
  return core ? 0 : std::uint64_t{f.colours_used} * entry_size;
}

}  // namespace

std::optional<PictureSize> ReadBitmapFileSize(std::span<const std::uint8_t> bytes) {
  ByteReader reader(bytes);
  const auto pixel_offset = ReadBmpFileHeader(reader);
  if (!pixel_offset) return std::nullopt;
  ByteReader peek = reader;
  const auto header_size = peek.U32();
  if (!header_size || !IsKnownHeaderSize(*header_size)) return std::nullopt;
  const auto header = ReadBmpHeaderOfItsSize(reader);
  if (!header) return std::nullopt;

  const BmpInfoHeader& f = *header;
  const bool core = f.size == kBmpCoreHeaderSize;
  if (f.width <= 0 || f.height == 0 || f.planes != 1 || !IsLoadableFormat(f, core)) {
    return std::nullopt;
  }
  const std::int64_t height = std::llabs(f.height);  // stored as 32 bits: no overflow
  if (f.width * height > kMaxPixels) return std::nullopt;

  const std::uint64_t size = bytes.size();
  const std::uint64_t table_end =
      kBmpFileHeaderSize + f.size + MaskBytes(f) + TableBytes(f, core);
  if (table_end > size || *pixel_offset < table_end || *pixel_offset > size) {
    return std::nullopt;
  }
  const std::uint64_t available = size - *pixel_offset;
  if (f.compression == BmpCompression::kRle8 || f.compression == BmpCompression::kRle4) {
    // A run-length stream has no length of its own beyond the size field, which
    // may be 0; then it runs to the end of the file.
    if (available == 0 || f.image_size > available) return std::nullopt;
  } else {
    // At most 2^28 pixels of 32 bits: the product cannot overflow.
    const std::uint64_t stride = (static_cast<std::uint64_t>(f.width) * f.bits + 31) / 32 * 4;
    if (stride * static_cast<std::uint64_t>(height) > available) return std::nullopt;
  }
  return PictureSize{static_cast<int>(f.width), static_cast<int>(height)};
}

std::optional<PictureSize> LoadBitmapFileSize(const std::string& path) {
  return ReadBitmapFileSize(ReadWholeFile(path));
}

}  // namespace kolvane
