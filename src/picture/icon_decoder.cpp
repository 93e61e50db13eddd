#include "picture/icon_decoder.h"

#include <algorithm>
#include <vector>

#include "picture/bmp_headers.h"

namespace kolvane {
namespace {

constexpr std::size_t kDirectoryEntrySize = 16;
constexpr std::uint8_t kPngSignature[4] = {0x89, 'P', 'N', 'G'};

std::size_t RowStride(std::size_t width, unsigned bits) {
  return (width * bits + 31) / 32 * 4;
}

// The value of pixel x of a row of 1, 4 or 8 bits, most significant bits first.
unsigned IndexAt(const std::uint8_t* row, std::size_t x, unsigned bits) {
  const std::size_t bit = x * bits;
  return (row[bit / 8] >> (8 - bits - bit % 8)) & ((1u << bits) - 1);
}

}  // namespace

Expected<Icon, PictureError> CreateIconFromImage(std::span<const std::uint8_t> image,
                                                 const DecodeOptions& options) {
  if (image.size() >= sizeof kPngSignature &&
      std::equal(std::begin(kPngSignature), std::end(kPngSignature), image.begin())) {
    return PictureError::kUnsupported;  // PNG-compressed entries are not made into icons here
  }
  ByteReader reader(image);
  const auto header = ReadBmpInfoHeader(reader);
  if (!header) return PictureError::kTruncated;
  const BmpInfoHeader& h = *header;
  const bool paletted = h.bits == 1 || h.bits == 4 || h.bits == 8;
  if (h.size < kBmpInfoHeaderSize || !reader.Seek(h.size)) return PictureError::kMalformed;
  if (h.compression != BmpCompression::kRgb || !(paletted || h.bits == 24 || h.bits == 32)) {
    return PictureError::kUnsupported;
  }
  // The stored height counts the XOR bitmap and the AND mask.
  const std::int64_t height = static_cast<std::int32_t>(h.height) / 2;
  if (h.width <= 0 || height <= 0) return PictureError::kMalformed;
  if (h.width > options.max_pixels / height) return PictureError::kTooLarge;
  const auto width = static_cast<std::size_t>(h.width);
  const auto rows = static_cast<std::size_t>(height);

  std::vector<Colour> table;
  if (paletted) {
    auto read = ReadBmpColourTable(reader, BmpTableEntries(h));
    if (!read) return PictureError::kTruncated;
    table = std::move(*read);
  }
  const std::size_t xor_stride = RowStride(width, h.bits);
  const std::size_t and_stride = RowStride(width, 1);
  if (xor_stride * rows > reader.Remaining() ||
      and_stride * rows > reader.Remaining() - xor_stride * rows) {
    return PictureError::kTruncated;
  }
  const std::uint8_t* xor_bits = image.data() + reader.Position();
  const std::uint8_t* and_bits = xor_bits + xor_stride * rows;

  Icon icon;
  icon.width = static_cast<int>(width);
  icon.height = static_cast<int>(rows);
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

DecodeResult DecodeIcon(std::span<const std::uint8_t> bytes, const DecodeOptions& options) {
  ByteReader reader(bytes);
  const auto reserved = reader.U16();
  const auto type = reader.U16();
  const auto count = reader.U16();
  if (!reserved || !type || !count) return PictureError::kTruncated;
  if (*reserved != 0 || (*type != 1 && *type != 2)) return PictureError::kMalformed;
  if (*count == 0) return PictureError::kNoImage;
  std::span<const std::uint8_t> entry;
  for (unsigned i = 0; i < *count; ++i) {
    const auto next = reader.Bytes(kDirectoryEntrySize);
    if (!next) return PictureError::kTruncated;
    entry = *next;
    // Bytes 0 and 2: width and colour count (0 for 256 colours or more).
    if (entry[0] == 32 && entry[2] >= 16) break;
  }
  ByteReader field(entry);
  field.Seek(8);
  const std::uint32_t length = *field.U32();
  const std::uint32_t offset = *field.U32();
  if (offset > bytes.size() || length > bytes.size() - offset) return PictureError::kTruncated;

  auto icon = CreateIconFromImage(bytes.subspan(offset, length), options);
  if (!icon) return icon.error();
  const int width = icon->width;
  const int height = icon->height;
  return DecodedPicture{*type == 1 ? PictureFormat::kIcon : PictureFormat::kCursor, width, height,
                        std::move(*icon)};
}

}  // namespace kolvane
