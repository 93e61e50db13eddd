#include "raster/png_writer.h"

#include <zlib.h>

#include <string_view>

namespace kolvane {
namespace {

void AppendU32(ByteBlock& out, std::uint32_t value) {
  out.push_back(static_cast<std::uint8_t>(value >> 24));
  out.push_back(static_cast<std::uint8_t>(value >> 16));
  out.push_back(static_cast<std::uint8_t>(value >> 8));
  out.push_back(static_cast<std::uint8_t>(value));
}

// Length, type, data and the CRC over type and data.
void AppendChunk(ByteBlock& out, std::string_view type, const std::uint8_t* data,
                 std::size_t size) {
  AppendU32(out, static_cast<std::uint32_t>(size));
  const std::size_t type_at = out.size();
  out.insert(out.end(), type.begin(), type.end());
  out.insert(out.end(), data, data + size);
  const uLong crc = crc32(0L, out.data() + type_at, static_cast<uInt>(out.size() - type_at));
  AppendU32(out, static_cast<std::uint32_t>(crc));
}

}  // namespace

ByteBlock EncodePng(const Bitmap& bitmap, const Rect& area) {
  const Rect r = Intersect(area, bitmap.Bounds());
  if (r.Empty()) return {};

  // Rows of filter type 0 followed by red, green, blue.
  const std::size_t row_bytes = 1 + static_cast<std::size_t>(r.width) * 3;
  ByteBlock raw(row_bytes * static_cast<std::size_t>(r.height));
  for (int y = 0; y < r.height; ++y) {
    std::uint8_t* out = raw.data() + row_bytes * static_cast<std::size_t>(y);
    *out++ = 0;
    const Colour* in = bitmap.Row(r.top + y) + r.left;
    for (int x = 0; x < r.width; ++x) {
      *out++ = RedOf(in[x]);
      *out++ = GreenOf(in[x]);
      *out++ = BlueOf(in[x]);
    }
  }
  uLongf packed_size = compressBound(static_cast<uLong>(raw.size()));
  ByteBlock packed(packed_size);
  if (compress2(packed.data(), &packed_size, raw.data(), static_cast<uLong>(raw.size()), 6) != Z_OK) {
    return {};
  }

  ByteBlock png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  ByteBlock header;
  AppendU32(header, static_cast<std::uint32_t>(r.width));
  AppendU32(header, static_cast<std::uint32_t>(r.height));
  header.insert(header.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB, deflate, no filter, no interlace
  AppendChunk(png, "IHDR", header.data(), header.size());
  AppendChunk(png, "IDAT", packed.data(), packed_size);
  AppendChunk(png, "IEND", nullptr, 0);
  return png;
}

}  // namespace kolvane
