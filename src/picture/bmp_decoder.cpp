#include "picture/bmp_decoder.h"

#include <cstdlib>
#include <vector>

#include "picture/bmp_headers.h"

namespace kolvane {
namespace {

// One file row of a paletted bitmap. Values beyond the colours the table gives are
// black.
void ExpandIndexedRow(const std::uint8_t* in, int bits, const std::vector<Colour>& table,
                      int width, Colour* out) {
  const unsigned mask = (1u << bits) - 1;
  const int per_byte = 8 / bits;
  for (int x = 0; x < width; ++x) {
    const int shift = 8 - bits * (x % per_byte + 1);
    const unsigned index = (in[x / per_byte] >> shift) & mask;
    out[x] = index < table.size() ? table[index] : 0;
  }
}

// Blue, green, red and, in 32-bit pixels, a fourth byte that is ignored.
void CopyDirectRow(const std::uint8_t* in, int bytes_per_pixel, int width, Colour* out) {
  for (int x = 0; x < width; ++x, in += bytes_per_pixel) out[x] = MakeColour(in[2], in[1], in[0]);
}

}  // namespace

DecodeResult DecodeBmp(std::span<const std::uint8_t> bytes, const DecodeOptions& options) {
  ByteReader reader(bytes);
  const auto pixel_offset = ReadBmpFileHeader(reader);
  if (!pixel_offset) {
    return bytes.size() < kBmpFileHeaderSize ? PictureError::kTruncated : PictureError::kMalformed;
  }
  // Longer information headers are read the same way: the colour table is taken
  // right after byte 54 whatever the header's own size field says.
  const auto header = ReadBmpInfoHeader(reader);
  if (!header) return PictureError::kTruncated;
  const BmpInfoHeader& h = *header;
  if (h.compression != BmpCompression::kRgb) return PictureError::kUnsupported;

  std::vector<Colour> table;
  if (h.bits == 1 || h.bits == 4 || h.bits == 8) {
    auto read = ReadBmpColourTable(reader, BmpTableEntries(h));
    if (!read) return PictureError::kTruncated;
    table = std::move(*read);
  } else if (h.bits != 24 && h.bits != 32) {
    return PictureError::kUnsupported;
  }
  if (*pixel_offset < reader.Position()) return PictureError::kMalformed;
  if (!reader.Seek(*pixel_offset)) return PictureError::kTruncated;

  const std::int64_t width = std::llabs(h.width);
  const std::int64_t height = std::llabs(h.height);
  if (width == 0 || height == 0) return PictureError::kMalformed;
  if (width > options.max_pixels / height) return PictureError::kTooLarge;

  // Check that the data holds every row before allocating for them; the last row
  // needs no padding after it.
  const std::size_t row_bytes = static_cast<std::size_t>((width * h.bits + 7) / 8);
  const std::size_t stride = (row_bytes + 3) & ~std::size_t{3};
  const std::size_t rows = static_cast<std::size_t>(height);
  if (stride * (rows - 1) + row_bytes > reader.Remaining()) return PictureError::kTruncated;
  const std::uint8_t* data = reader.Data().data() + reader.Position();

  auto bitmap = Bitmap::Create(static_cast<int>(width), static_cast<int>(height));
  if (!bitmap) return PictureError::kTooLarge;
  // The file's first row is the bottom one, unless a negative height says the rows
  // are stored top-down; both kinds are shown upright.
  const bool top_down = h.height < 0;
  for (std::size_t r = 0; r < rows; ++r) {
    const std::uint8_t* in = data + r * stride;
    Colour* out = bitmap->Row(static_cast<int>(top_down ? r : rows - 1 - r));
    if (h.bits >= 24) {
      CopyDirectRow(in, h.bits / 8, static_cast<int>(width), out);
    } else {
      ExpandIndexedRow(in, h.bits, table, static_cast<int>(width), out);
    }
  }
  return DecodedPicture{PictureFormat::kBitmap, static_cast<int>(width), static_cast<int>(height),
                        std::move(*bitmap)};
}

}  // namespace kolvane
