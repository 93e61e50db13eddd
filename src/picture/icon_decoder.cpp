#include "picture/icon_decoder.h"

#include <algorithm>
#include <vector>

#include "base/byte_reader.h"

namespace kolvane {
namespace {

constexpr std::size_t kInfoHeaderSize = 40;
constexpr std::size_t kDirectoryEntrySize = 16;
constexpr std::uint8_t kPngSignature[4] = {0x89, 'P', 'N', 'G'};

struct ImageHeader {
  std::uint32_t size = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;  // the XOR bitmap and the AND mask together
  std::uint16_t bits = 0;
  std::uint32_t compression = 0;
  std::uint32_t colours_used = 0;
};

std::optional<ImageHeader> ReadImageHeader(ByteReader& reader) {
  const auto bytes = reader.Bytes(kInfoHeaderSize);
  if (!bytes) return std::nullopt;
  ByteReader field(*bytes);
  ImageHeader h;
  h.size = *field.U32();
  h.width = *field.I32();
  h.height = *field.I32();
  field.Skip(2);  // planes
  h.bits = *field.U16();
  h.compression = *field.U32();
  field.Seek(32);
  h.colours_used = *field.U32();
  return h;
}

std::size_t RowStride(std::size_t width, unsigned bits) {
  return (width * bits + 31) / 32 * 4;
}

// The value of pixel x of a row of 1, 4 or 8 bits, most significant bits first.
unsigned IndexAt(const std::uint8_t* row, std::size_t x, unsigned bits) {
  const std::size_t bit = x * bits;
  return (row[bit / 8] >> (8 - bits - bit % 8)) & ((1u << bits) - 1);
}

}  // namespace

std::optional<Icon> CreateIconFromImage(std::span<const std::uint8_t> image,
                                        long long max_pixels) {
  if (image.size() >= sizeof kPngSignature &&
      std::equal(std::begin(kPngSignature), std::end(kPngSignature), image.begin())) {
    return std::nullopt;  // PNG-compressed entries are not made into icons here
  }
  ByteReader reader(image);
  const auto header = ReadImageHeader(reader);
  if (!header) return std::nullopt;
  const ImageHeader& h = *header;
  const bool paletted = h.bits == 1 || h.bits == 4 || h.bits == 8;
  if (h.size < kInfoHeaderSize || !reader.Seek(h.size) || h.compression != 0 ||
      !(paletted || h.bits == 24 || h.bits == 32)) {
    return std::nullopt;
  }
  const std::int32_t height = h.height / 2;
  if (h.width <= 0 || height <= 0 || h.width > max_pixels / height) return std::nullopt;
  const auto width = static_cast<std::size_t>(h.width);
  const auto rows = static_cast<std::size_t>(height);

  std::vector<Colour> table;
  if (paletted) {
    const std::uint64_t count = h.colours_used != 0 ? h.colours_used : (1u << h.bits);
    if (count > reader.Remaining() / 4) return std::nullopt;
    table.resize(static_cast<std::size_t>(count));
    for (Colour& entry : table) {
      const auto quad = *reader.Bytes(4);  // blue, green, red, reserved
      entry = MakeColour(quad[2], quad[1], quad[0]);
    }
  }
  const std::size_t xor_stride = RowStride(width, h.bits);
  const std::size_t and_stride = RowStride(width, 1);
  if (xor_stride * rows > reader.Remaining() ||
      and_stride * rows > reader.Remaining() - xor_stride * rows) {
    return std::nullopt;
  }
  const std::uint8_t* xor_bits = image.data() + reader.Position();
  const std::uint8_t* and_bits = xor_bits + xor_stride * rows;

  Icon icon;
  icon.width = h.width;
  icon.height = height;
  icon.colour.resize(width * rows);
  icon.and_mask.resize(width * rows);
  if (h.bits == 32) icon.alpha.resize(width * rows);
  bool any_alpha = false;
  for (std::size_t r = 0; r < rows; ++r) {
    // Rows are stored bottom-up; the icon keeps them top row first.
    const std::size_t y = rows - 1 - r;
    const std::uint8_t* in = xor_bits + r * xor_stride;
    const std::uint8_t* mask = and_bits + r * and_stride;
    for (std::size_t x = 0; x < width; ++x) {
      const std::size_t at = y * width + x;
      Colour c = 0;
      if (paletted) {
        const unsigned index = IndexAt(in, x, h.bits);
        c = index < table.size() ? table[index] : 0;
      } else {
        const std::uint8_t* p = in + x * (h.bits / 8);
        c = MakeColour(p[2], p[1], p[0]);
        if (h.bits == 32) {
          icon.alpha[at] = p[3];
          any_alpha = any_alpha || p[3] != 0;
        }
      }
      icon.colour[at] = c;
      icon.and_mask[at] = static_cast<std::uint8_t>(IndexAt(mask, x, 1));
    }
  }
  // A 32-bit image whose alpha is all 0 is drawn through its mask, like older icons.
  if (!any_alpha) icon.alpha.clear();
  return icon;
}

std::optional<DecodedPicture> DecodeIcon(std::span<const std::uint8_t> bytes,
                                         long long max_pixels) {
  ByteReader reader(bytes);
  const auto reserved = reader.U16();
  const auto type = reader.U16();
  const auto count = reader.U16();
  if (!reserved || !type || !count || *reserved != 0 || (*type != 1 && *type != 2) ||
      *count == 0) {
    return std::nullopt;
  }
  std::span<const std::uint8_t> entry;
  for (unsigned i = 0; i < *count; ++i) {
    const auto next = reader.Bytes(kDirectoryEntrySize);
    if (!next) return std::nullopt;
    entry = *next;
    // Bytes 0 and 2: width and colour count (0 for 256 colours or more).
    if (entry[0] == 32 && entry[2] >= 16) break;
  }
  ByteReader field(entry);
  field.Seek(8);
  const std::uint32_t length = *field.U32();
  const std::uint32_t offset = *field.U32();
  if (offset > bytes.size() || length > bytes.size() - offset) return std::nullopt;

  auto icon = CreateIconFromImage(bytes.subspan(offset, length), max_pixels);
  if (!icon) return std::nullopt;
  DecodedPicture picture;
  picture.kind = *type == 1 ? PictureFormat::kIcon : PictureFormat::kCursor;
  picture.width = icon->width;
  picture.height = icon->height;
  picture.icon = std::make_shared<const Icon>(std::move(*icon));
  return picture;
}

}  // namespace kolvane
