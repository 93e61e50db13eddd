#include "picture/bitmap_file_loader.h"

#include <cstdlib>

#include "picture/read_whole_file.h"
#include "base/byte_reader.h"
#include "base/system_values.h"

namespace kolvane {
namespace {

constexpr std::uint32_t kFileHeaderSize = 14;
constexpr std::uint32_t kCoreHeaderSize = 12;  // BITMAPCOREHEADER: 16-bit sizes
constexpr std::uint32_t kInfoHeaderSize = 40;  // BITMAPINFOHEADER

bool IsKnownHeaderSize(std::uint32_t size) {
  // BITMAPCOREHEADER, BITMAPINFOHEADER, the V2 and V3 extensions, V4 and V5.
  return size == kCoreHeaderSize || size == kInfoHeaderSize || size == 52 || size == 56 ||
         size == 108 || size == 124;
}

enum class Compression : std::uint32_t {
  kRgb = 0,
  kRle8 = 1,
  kRle4 = 2,
  kBitFields = 3,
  kJpeg = 4,
  kPng = 5,
  kAlphaBitFields = 6,
};

struct InfoFields {
  std::int64_t width = 0;
  std::int64_t height = 0;  // below 0: rows stored top-down
  std::uint16_t planes = 0;
  std::uint16_t bits = 0;
  Compression compression = Compression::kRgb;
  std::uint32_t image_size = 0;
  std::uint32_t colours_used = 0;
};

// The fields both header families share; the reader stands right after the size
// field, and the whole header is known to lie inside the data.
InfoFields ReadInfoFields(ByteReader& reader, std::uint32_t header_size) {
  InfoFields f;
  if (header_size == kCoreHeaderSize) {
    f.width = *reader.U16();
    f.height = *reader.U16();
    f.planes = *reader.U16();
    f.bits = *reader.U16();
    return f;
  }
  f.width = *reader.I32();
  f.height = *reader.I32();
  f.planes = *reader.U16();
  f.bits = *reader.U16();
  f.compression = static_cast<Compression>(*reader.U32());
  f.image_size = *reader.U32();
  reader.Skip(8);  // resolution
  f.colours_used = *reader.U32();
  return f;
}

// Whether a DIB section can be made of this bit count and compression. JPEG and PNG
// pixels are only ever handed to printers, never made into a DIB section, and
// run-length pixels cannot be stored top-down.
bool IsLoadableFormat(const InfoFields& f, bool core) {
  if (core) return f.bits == 1 || f.bits == 4 || f.bits == 8 || f.bits == 24;
  switch (f.compression) {
    case Compression::kRgb:
      return f.bits == 1 || f.bits == 4 || f.bits == 8 || f.bits == 16 || f.bits == 24 ||
             f.bits == 32;
    case Compression::kRle8:
      return f.bits == 8 && f.height > 0;
    case Compression::kRle4:
      return f.bits == 4 && f.height > 0;
    case Compression::kBitFields:
    case Compression::kAlphaBitFields:
      return f.bits == 16 || f.bits == 32;
    case Compression::kJpeg:
    case Compression::kPng:
      break;
  }
  return false;
}

// Bytes of the colour masks that follow a plain BITMAPINFOHEADER; the later headers
// carry their masks inside.
std::uint64_t MaskBytes(const InfoFields& f, std::uint32_t header_size) {
  if (header_size != kInfoHeaderSize) return 0;
  if (f.compression == Compression::kBitFields) return 12;
  if (f.compression == Compression::kAlphaBitFields) return 16;
  return 0;
}

// Bytes of the colour table. A paletted bitmap's table holds colours_used entries, all
// its bits can index when that is 0; entries beyond those are never looked up, so a
// larger count is taken as the full table. Other bitmaps may carry colours_used
// entries as a palette hint.
std::uint64_t TableBytes(const InfoFields& f, bool core) {
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
  const auto magic = reader.Bytes(2);
  if (!magic || (*magic)[0] != 'B' || (*magic)[1] != 'M') return std::nullopt;
  // The file-size field is not trusted: the file's own size bounds everything.
  if (!reader.Skip(8)) return std::nullopt;
  const auto pixel_offset = reader.U32();
  const auto header_size = reader.U32();
  if (!pixel_offset || !header_size || !IsKnownHeaderSize(*header_size)) return std::nullopt;
  if (*header_size - 4 > reader.Remaining()) return std::nullopt;

  const bool core = *header_size == kCoreHeaderSize;
  const InfoFields f = ReadInfoFields(reader, *header_size);
  if (f.width <= 0 || f.height == 0 || f.planes != 1 || !IsLoadableFormat(f, core)) {
    return std::nullopt;
  }
  const std::int64_t height = std::llabs(f.height);  // stored as 32 bits: no overflow
  if (f.width * height > kMaxPixels) return std::nullopt;

  const std::uint64_t size = bytes.size();
  const std::uint64_t table_end =
      kFileHeaderSize + *header_size + MaskBytes(f, *header_size) + TableBytes(f, core);
  if (table_end > size || *pixel_offset < table_end || *pixel_offset > size) {
    return std::nullopt;
  }
  const std::uint64_t available = size - *pixel_offset;
  if (f.compression == Compression::kRle8 || f.compression == Compression::kRle4) {
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
