#pragma once
// Small picture files built in code for the decoder tests: Windows bitmaps and icon
// files with every field spelled out, and the file fixtures under tests/data.
#include <cstdint>
#include <fstream>
#include <functional>
#include <iterator>
#include <ostream>
#include <string>
#include <variant>
#include <vector>

#include <gtest/gtest.h>

#include "base/system_values.h"
#include "base/types.h"
#include "picture/decoded_picture.h"

namespace kolvane {

// Reasons print as their descriptions in test messages.
inline void PrintTo(PictureError error, std::ostream* out) { *out << DescribePictureError(error); }

}  // namespace kolvane

namespace kolvane::fixtures {

using Bytes = std::vector<std::uint8_t>;

inline void Put16(Bytes& out, std::uint32_t v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}
inline void Put32(Bytes& out, std::uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}
inline void Append(Bytes& out, const Bytes& more) {
  out.insert(out.end(), more.begin(), more.end());
}

// Rows joined, each padded with zeros to a multiple of 4 bytes.
inline Bytes PaddedRows(const std::vector<Bytes>& rows) {
  Bytes out;
  for (const Bytes& row : rows) {
    Append(out, row);
    out.resize((out.size() + 3) & ~std::size_t{3}, 0);
  }
  return out;
}

// Colour-table entries from 0x00RRGGBB values: blue, green, red, 0.
inline Bytes Table(const std::vector<std::uint32_t>& rgb) {
  Bytes out;
  for (std::uint32_t c : rgb) {
    out.push_back(static_cast<std::uint8_t>(c));
    out.push_back(static_cast<std::uint8_t>(c >> 8));
    out.push_back(static_cast<std::uint8_t>(c >> 16));
    out.push_back(0);
  }
  return out;
}

// The 40-byte BITMAPINFOHEADER.
inline Bytes InfoHeader(std::int32_t width, std::int32_t height, std::uint16_t bits,
                        std::uint32_t compression = 0, std::uint32_t colours_used = 0) {
  Bytes out;
  Put32(out, 40);                                  // biSize
  Put32(out, static_cast<std::uint32_t>(width));   // biWidth
  Put32(out, static_cast<std::uint32_t>(height));  // biHeight
  Put16(out, 1);                                   // biPlanes
  Put16(out, bits);                                // biBitCount
  Put32(out, compression);                         // biCompression
  Put32(out, 0);                                   // biSizeImage
  Put32(out, 2835);                                // biXPelsPerMeter
  Put32(out, 2835);                                // biYPelsPerMeter
  Put32(out, colours_used);                        // biClrUsed
  Put32(out, 0);                                   // biClrImportant
  return out;
}

struct BmpFields {
  std::int32_t width = 1;
  std::int32_t height = 1;  // negative: rows stored top-down
  std::uint16_t bits = 24;
  std::vector<Bytes> rows;  // in file order, unpadded
  Bytes table;
  std::uint32_t colours_used = 0;
  std::uint32_t compression = 0;
  std::int64_t pixel_offset = -1;  // -1: right after the table
};

inline Bytes Bmp(const BmpFields& fields) {
  const Bytes pixels = PaddedRows(fields.rows);
  const auto offset = static_cast<std::uint32_t>(
      fields.pixel_offset >= 0 ? fields.pixel_offset
                             : 54 + static_cast<std::int64_t>(fields.table.size()));
  Bytes out = {'B', 'M'};
  Put32(out, static_cast<std::uint32_t>(54 + fields.table.size() + pixels.size()));  // bfSize
  Put32(out, 0);                                                                   // reserved
  Put32(out, offset);                                                              // bfOffBits
  Append(out, InfoHeader(fields.width, fields.height, fields.bits, fields.compression, fields.colours_used));
  Append(out, fields.table);
  if (offset > out.size()) out.resize(offset, 0);
  Append(out, pixels);
  return out;
}

// A 24-bit bitmap file of width x height whose pixel (x, y) is colour(x, y).
inline Bytes Bmp24(int width, int height, const std::function<Colour(int, int)>& colour) {
  BmpFields fields;
  fields.width = width;
  fields.height = height;  // positive: bottom row first
  for (int y = height - 1; y >= 0; --y) {
    Bytes row;
    for (int x = 0; x < width; ++x) {
      const Colour c = colour(x, y);
      row.insert(row.end(), {BlueOf(c), GreenOf(c), RedOf(c)});
    }
    fields.rows.push_back(row);
  }
  return Bmp(fields);
}

// A run-length bitmap of width x height whose pixels are a lone end-of-bitmap code.
inline Bytes Rle8Bitmap(std::int32_t width, std::int32_t height) {
  BmpFields fields;
  fields.width = width;
  fields.height = height;
  fields.bits = 8;
  fields.compression = 1;  // BI_RLE8
  fields.colours_used = 1;
  fields.table = Table({0});
  fields.rows = {{0x00, 0x01}};
  return Bmp(fields);
}

// One image of an icon file: header (height doubled), table, XOR rows, AND rows; rows
// given bottom-up, as stored.
inline Bytes IconImage(std::int32_t width, std::int32_t height, std::uint16_t bits,
                       const std::vector<Bytes>& xor_rows, const std::vector<Bytes>& and_rows,
                       const Bytes& table = {}) {
  Bytes out = InfoHeader(width, 2 * height, bits, 0,
                         static_cast<std::uint32_t>(table.size() / 4));
  Append(out, table);
  Append(out, PaddedRows(xor_rows));
  Append(out, PaddedRows(and_rows));
  return out;
}

// A width x height image of 24 bits in one colour, mask all 0.
inline Bytes PlainIconImage(int width, int height, std::uint32_t rgb) {
  Bytes row;
  for (int x = 0; x < width; ++x) {
    row.push_back(static_cast<std::uint8_t>(rgb));
    row.push_back(static_cast<std::uint8_t>(rgb >> 8));
    row.push_back(static_cast<std::uint8_t>(rgb >> 16));
  }
  return IconImage(width, height, 24, std::vector<Bytes>(height, row),
                   std::vector<Bytes>(height, Bytes((width + 7) / 8, 0)));
}

struct IconEntry {
  std::uint8_t width_byte;
  std::uint8_t colour_count;
  Bytes image;
};

// A directory (type 1 icon, 2 cursor) followed by the images in entry order.
inline Bytes IconFile(const std::vector<IconEntry>& entries, std::uint16_t type = 1) {
  Bytes out;
  Put16(out, 0);  // reserved
  Put16(out, type);
  Put16(out, static_cast<std::uint16_t>(entries.size()));
  std::uint32_t offset = static_cast<std::uint32_t>(6 + 16 * entries.size());
  for (const IconEntry& e : entries) {
    out.push_back(e.width_byte);
    out.push_back(e.width_byte);  // height byte
    out.push_back(e.colour_count);
    out.push_back(0);  // reserved
    Put16(out, 1);     // planes (hot spot x for cursors)
    Put16(out, 0);     // bit count (hot spot y for cursors)
    Put32(out, static_cast<std::uint32_t>(e.image.size()));
    Put32(out, offset);
    offset += static_cast<std::uint32_t>(e.image.size());
  }
  for (const IconEntry& e : entries) Append(out, e.image);
  return out;
}

// A picture's pixels row by row, top row first, whatever its pixel type: true-colour
// pixels as they stand, indexed pixels through their palette, icons' colour pixels,
// one-bit pixels as 0 and 1.
inline std::vector<std::vector<Colour>> PixelRows(const DecodedPicture& picture) {
  std::vector<std::vector<Colour>> rows;
  if (const auto* bitmap = std::get_if<Bitmap>(&picture.pixels)) {
    for (int y = 0; y < bitmap->Height(); ++y) {
      rows.emplace_back(bitmap->Row(y), bitmap->Row(y) + bitmap->Width());
    }
  } else if (const auto* indexed = std::get_if<IndexedPixels>(&picture.pixels)) {
    for (int y = 0; y < indexed->height; ++y) {
      std::vector<Colour>& row = rows.emplace_back();
      for (int x = 0; x < indexed->width; ++x) {
        row.push_back(indexed->palette[indexed->indices.at(
            static_cast<std::size_t>(y) * indexed->width + x)]);
      }
    }
  } else if (const auto* mono = std::get_if<MonoPixels>(&picture.pixels)) {
    for (int y = 0; y < mono->height; ++y) {
      const auto* first = mono->values.data() + static_cast<std::size_t>(y) * mono->width;
      rows.emplace_back(first, first + mono->width);
    }
  } else {
    const Icon& icon = std::get<Icon>(picture.pixels);
    for (int y = 0; y < icon.height; ++y) {
      const auto* first = icon.colour.data() + static_cast<std::size_t>(y) * icon.width;
      rows.emplace_back(first, first + icon.width);
    }
  }
  return rows;
}

// Rows of 0x00RRGGBB values (as pictures are written down) as our colours.
inline std::vector<std::vector<Colour>> RgbRows(const std::vector<std::vector<std::uint32_t>>& rgb) {
  std::vector<std::vector<Colour>> rows;
  for (const auto& row : rgb) {
    std::vector<Colour>& out = rows.emplace_back();
    for (std::uint32_t c : row) {
      out.push_back(MakeColour(static_cast<std::uint8_t>(c >> 16), static_cast<std::uint8_t>(c >> 8),
                               static_cast<std::uint8_t>(c)));
    }
  }
  return rows;
}

// Bytes a decoder must refuse, with the reason it must give.
struct Refusal {
  std::string name;
  Bytes bytes;
  PictureError reason;
  long long max_pixels = kMaxPixels;
};

// Every case refused by decode(bytes, options) with its reason.
template <typename Decode>
void ExpectRefusals(Decode decode, const std::vector<Refusal>& cases) {
  for (const Refusal& c : cases) {
    SCOPED_TRACE(c.name);
    const DecodeResult result = decode(c.bytes, DecodeOptions{.max_pixels = c.max_pixels});
    ASSERT_FALSE(result);
    EXPECT_EQ(result.error(), c.reason);
  }
}

inline Bytes ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline Bytes TestPicture(const std::string& name) {
  return ReadFile(std::string(KOLVANE_TEST_DATA) + "/pictures/" + name);
}

}  // namespace kolvane::fixtures
