#include "picture/bmp_decoder.h"

#include <cstdlib>
#include <vector>

#include "base/byte_reader.h"

namespace kolvane {
namespace {

// The 14-byte file header and the 40-byte information header. Longer information
// headers are read the same way: the colour table is taken right after byte 54
// whatever the header's own size field says.
constexpr std::size_t kHeadersSize = 54;

struct BmpHeaders {
  std::uint32_t pixel_offset = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::uint16_t bits = 0;
  std::uint32_t compression = 0;
  std::uint32_t colours_used = 0;
};

std::optional<BmpHeaders> ReadHeaders(ByteReader& reader) {
  const auto bytes = reader.Bytes(kHeadersSize);
  if (!bytes) return std::nullopt;
  ByteReader header(*bytes);
  BmpHeaders h;
  header.Seek(10);
  h.pixel_offset = *header.U32();
  header.Seek(18);
  h.width = *header.I32();
  h.height = *header.I32();
  header.Seek(28);
  h.bits = *header.U16();
  h.compression = *header.U32();
  header.Seek(46);
  h.colours_used = *header.U32();
  return h;
}

// The colour table of a 1-, 4- or 8-bit bitmap: colours_used entries, or all that the
// bit count can index when that field is 0.
std::optional<std::vector<Colour>> ReadColourTable(ByteReader& reader, const BmpHeaders& h) {
  const std::uint64_t count = h.colours_used != 0 ? h.colours_used : (1u << h.bits);
  if (count > reader.Remaining() / 4) return std::nullopt;
  std::vector<Colour> table(static_cast<std::size_t>(count));
  for (Colour& entry : table) {
    const auto quad = *reader.Bytes(4);  // blue, green, red, reserved
    entry = MakeColour(quad[2], quad[1], quad[0]);
  }
  return table;
}

// One file row of a paletted bitmap into blue, green, red pixels. Values beyond the
// colours the table gives are black.
void ExpandIndexedRow(const std::uint8_t* in, int bits, const std::vector<Colour>& table,
                      std::size_t width, std::uint8_t* out) {
  const unsigned mask = (1u << bits) - 1;
  const int per_byte = 8 / bits;
  for (std::size_t x = 0; x < width; ++x, out += 3) {
    const int shift = 8 - bits * (static_cast<int>(x % per_byte) + 1);
    const unsigned index = (in[x / per_byte] >> shift) & mask;
    const Colour c = index < table.size() ? table[index] : 0;
    out[0] = BlueOf(c);
    out[1] = GreenOf(c);
    out[2] = RedOf(c);
  }
}

void CopyDirectRow(const std::uint8_t* in, int bytes_per_pixel, std::size_t width,
                   std::uint8_t* out) {
  for (std::size_t x = 0; x < width; ++x, in += bytes_per_pixel, out += 3) {
    out[0] = in[0];
    out[1] = in[1];
    out[2] = in[2];
  }
}

}  // namespace

std::optional<DecodedPicture> DecodeBmp(std::span<const std::uint8_t> bytes,
                                        long long max_pixels) {
  ByteReader reader(bytes);
  const auto headers = ReadHeaders(reader);
  if (!headers || headers->compression != 0) return std::nullopt;
  const BmpHeaders& h = *headers;

  std::vector<Colour> table;
  if (h.bits == 1 || h.bits == 4 || h.bits == 8) {
    auto read = ReadColourTable(reader, h);
    if (!read) return std::nullopt;
    table = std::move(*read);
  } else if (h.bits != 24 && h.bits != 32) {
    return std::nullopt;
  }
  if (h.pixel_offset < reader.Position() || !reader.Seek(h.pixel_offset)) return std::nullopt;

  const std::int64_t width = std::llabs(std::int64_t{h.width});
  const std::int64_t height = std::llabs(std::int64_t{h.height});
  if (width == 0 || height == 0 || width > max_pixels / height) return std::nullopt;

  // Check that the data holds every row before allocating for them; the last row
  // needs no padding after it.
  const std::size_t row_bytes = static_cast<std::size_t>((width * h.bits + 7) / 8);
  const std::size_t stride = (row_bytes + 3) & ~std::size_t{3};
  const std::size_t rows = static_cast<std::size_t>(height);
  if (stride * (rows - 1) + row_bytes > reader.Remaining()) return std::nullopt;
  const std::uint8_t* data = reader.Data().data() + reader.Position();

  DecodedPicture picture;
  picture.kind = PictureFormat::kBitmap;
  picture.width = static_cast<int>(width);
  picture.height = static_cast<int>(height);
  picture.pixel_data.resize(static_cast<std::size_t>(width * height) * 3);
  const std::size_t out_stride = static_cast<std::size_t>(width) * 3;
  // The file's first row is the bottom one, unless a negative height says the rows
  // are stored top-down; both kinds are shown upright.
  const bool top_down = h.height < 0;
  for (std::size_t r = 0; r < rows; ++r) {
    const std::uint8_t* in = data + r * stride;
    std::uint8_t* out = picture.pixel_data.data() + (top_down ? rows - 1 - r : r) * out_stride;
    if (h.bits >= 24) {
      CopyDirectRow(in, h.bits / 8, static_cast<std::size_t>(width), out);
    } else {
      ExpandIndexedRow(in, h.bits, table, static_cast<std::size_t>(width), out);
    }
  }
  return picture;
}

}  // namespace kolvane
