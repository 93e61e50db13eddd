#pragma once
// The headers of Windows bitmaps, read in one place for the bitmap decoder, the icon
// decoder and the bitmap-file loader: the 14-byte file header, the information
// header (the 12-byte core form or the 40-byte form and its longer successors) and
// colour tables.
#include <cstdint>
#include <optional>
#include <vector>

#include "base/byte_reader.h"
#include "base/types.h"

namespace kolvane {

inline constexpr std::uint32_t kBmpFileHeaderSize = 14;
inline constexpr std::uint32_t kBmpCoreHeaderSize = 12;  // BITMAPCOREHEADER: 16-bit sizes
inline constexpr std::uint32_t kBmpInfoHeaderSize = 40;  // BITMAPINFOHEADER

enum class BmpCompression : std::uint32_t {
  kRgb = 0,
  kRle8 = 1,
  kRle4 = 2,
  kBitFields = 3,
  kJpeg = 4,
  kPng = 5,
  kAlphaBitFields = 6,
};

// The fields of an information header. Core headers leave compression, image size
// and colours used at 0.
struct BmpInfoHeader {
  std::uint32_t size = 0;  // the header's own size field
  std::int64_t width = 0;
  std::int64_t height = 0;  // below 0: rows stored top-down
  std::uint16_t planes = 0;
  std::uint16_t bits = 0;
  BmpCompression compression = BmpCompression::kRgb;
  std::uint32_t image_size = 0;
  std::uint32_t colours_used = 0;
};

// "BM" and the pixel-data offset of a file header; the reader moves past it.
// Nothing when fewer than 14 bytes remain or the magic is wrong.
std::optional<std::uint32_t> ReadBmpFileHeader(ByteReader& reader);

// The 40 bytes at the reader read as a BITMAPINFOHEADER, whatever its size field
// says; the reader moves past them. Nothing when fewer than 40 bytes remain.
std::optional<BmpInfoHeader> ReadBmpInfoHeader(ByteReader& reader);

// The information header at the reader in the layout its size field names: the core
// form for size 12, the BITMAPINFOHEADER fields for the others (which its longer
// successors begin with). The reader moves past the fields read. Nothing when the
// data cannot hold the size the field names or the size is below 12 or between 12
// and 40.
std::optional<BmpInfoHeader> ReadBmpHeaderOfItsSize(ByteReader& reader);

// count colour-table entries of blue, green, red and a reserved byte; nothing when
// the data ends first.
std::optional<std::vector<Colour>> ReadBmpColourTable(ByteReader& reader, std::uint64_t count);

// Entries in the colour table of a 1-, 4- or 8-bit bitmap: colours_used, or all that
// the bit count can index when that field is 0.
std::uint64_t BmpTableEntries(const BmpInfoHeader& header);

}  // namespace kolvane
