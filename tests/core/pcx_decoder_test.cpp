#include "picture/pcx_decoder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "base/types.h"
#include "picture_fixtures.h"

namespace kolvane {
namespace {

using Bytes = std::vector<std::uint8_t>;


// The fixtures' formulas, as gif_pcx_fixtures.py writes them.
int PcxIndex(int x, int y) { return (x * 17 + y * 29) & 255; }
bool PcxBit(int x, int y) { return (x * 3 + y) % 5 < 2; }
Colour PaletteColour(int i) {
  return MakeColour(static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i * 7),
                    static_cast<std::uint8_t>(255 - i));
}

// The indexed pixels and palette of a kind-6 picture.
class Layout {
 public:
  explicit Layout(const DecodedPicture& picture)
      : image_(std::get<IndexedPixels>(picture.pixels)) {}
  const IndexedPixels& Image() const { return image_; }
  int Index(int x, int y) const {
    return image_.indices.at(static_cast<std::size_t>(y) * image_.width + x);
  }
  Colour Entry(int i) const { return image_.palette.at(static_cast<std::size_t>(i)); }
  std::vector<int> Row(int y, int width) const {
    std::vector<int> row;
    for (int x = 0; x < width; ++x) row.push_back(Index(x, y));
    return row;
  }

 private:
  const IndexedPixels& image_;
};

// The per-pixel values of a kind-6 or kind-7 picture: indices or bits.
const std::vector<std::uint8_t>& Values(const DecodedPicture& picture) {
  if (const auto* mono = std::get_if<MonoPixels>(&picture.pixels)) return mono->values;
  return std::get<IndexedPixels>(picture.pixels).indices;
}

// The first width bits of each packed row, most significant first.
std::vector<std::uint8_t> Bits(const std::vector<Bytes>& rows, int width) {
  std::vector<std::uint8_t> bits;
  for (const Bytes& row : rows) {
    for (int x = 0; x < width; ++x) bits.push_back((row[x / 8] >> (7 - x % 8)) & 1);
  }
  return bits;
}

struct Header {
  int version = 5;
  int encoding = 1;
  int bits = 8;
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  int planes = 1;
  int bytes_per_line = 0;
};

// A header of the given bit count, window (0, 0)-(right, bottom) and row length.
Header Sized(int bits, int right, int bottom, int bytes_per_line, int planes = 1) {
  Header h;
  h.bits = bits;
  h.right = right;
  h.bottom = bottom;
  h.bytes_per_line = bytes_per_line;
  h.planes = planes;
  return h;
}

void Put16(Bytes& out, std::size_t at, int value) {
  out[at] = static_cast<std::uint8_t>(value);
  out[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

// The 128-byte header. Its 16-colour palette is filled with 0x55 so that a table
// taken from it would show.
Bytes MakeHeader(const Header& h) {
  Bytes out(128, 0);
  out[0] = 0x0A;                                   // manufacturer
  out[1] = static_cast<std::uint8_t>(h.version);   // version
  out[2] = static_cast<std::uint8_t>(h.encoding);  // 1 = run-length
  out[3] = static_cast<std::uint8_t>(h.bits);      // bits per pixel per plane
  Put16(out, 4, h.left);                           // window
  Put16(out, 6, h.top);
  Put16(out, 8, h.right);
  Put16(out, 10, h.bottom);
  for (std::size_t i = 16; i < 64; ++i) out[i] = 0x55;  // 16-colour palette
  out[65] = static_cast<std::uint8_t>(h.planes);
  Put16(out, 66, h.bytes_per_line);
  return out;
}

Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}

// The closing palette: marker 12, then entry i = (i, 255 - i, 3i).
Bytes ClosingPalette() {
  Bytes out = {12};
  for (int i = 0; i < 256; ++i) {
    out.push_back(static_cast<std::uint8_t>(i));
    out.push_back(static_cast<std::uint8_t>(255 - i));
    out.push_back(static_cast<std::uint8_t>(3 * i));
  }
  return out;
}

TEST(PcxDecoder, PalettedFileGivesItsIndicesAndClosingPalette) {
  // Pillow's 13 x 9 file: bytes per line 14, so every file row ends in a padding value.
  const Bytes file = fixtures::TestPicture("pcx_8bit.pcx");
  ASSERT_FALSE(file.empty());
  auto picture = DecodePcx(file);
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->kind, PictureFormat::kPcx8);
  EXPECT_EQ(picture->width, 13);
  EXPECT_EQ(picture->height, 9);
  Layout layout(*picture);
  EXPECT_EQ(layout.Image().width, 13);
  EXPECT_EQ(layout.Image().height, 9);
  EXPECT_EQ(layout.Image().planes, 1);
  ASSERT_EQ(layout.Image().indices.size(), 13u * 9u);
  for (int i = 0; i < 256; ++i) ASSERT_EQ(layout.Entry(i), PaletteColour(i)) << i;
  for (int y = 0; y < 9; ++y) {
    for (int x = 0; x < 13; ++x) ASSERT_EQ(layout.Index(x, y), PcxIndex(x, y)) << x << "," << y;
  }
}

TEST(PcxDecoder, MonochromeFileGivesItsBits) {
  // Pillow's 21 x 5 file: 3 bytes cover a row and the file rows are 4 bytes long, so
  // the fourth byte of each file row must not become the next row's first.
  const Bytes file = fixtures::TestPicture("pcx_1bit.pcx");
  ASSERT_FALSE(file.empty());
  auto picture = DecodePcx(file);
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->kind, PictureFormat::kPcx1);
  EXPECT_EQ(picture->width, 21);
  EXPECT_EQ(picture->height, 5);
  const auto& mono = std::get<MonoPixels>(picture->pixels);
  ASSERT_EQ(mono.values.size(), 21u * 5u);
  for (int y = 0; y < 5; ++y) {
    for (int x = 0; x < 21; ++x) {
      ASSERT_EQ(mono.values[static_cast<std::size_t>(y) * 21 + x], PcxBit(x, y)) << x << "," << y;
    }
  }
}

TEST(PcxDecoder, MonochromeRows) {
  // 10 x 2, one plane of one bit: 2 bytes cover a row.
  Header h = Sized(1, 9, 1, 2);
  auto picture = DecodePcx(Cat({MakeHeader(h), {0xAB, 0xC1, 0xCD, 0x12, 0x34}}));
  ASSERT_TRUE(picture);
  EXPECT_EQ(Values(*picture), Bits({{0xAB, 0xCD}, {0x12, 0x34}}, 10));

  // 17 x 2 with bytes per line 0: the rows still take the 3 bytes the width needs.
  h = Sized(1, 16, 1, 0);
  picture = DecodePcx(Cat({MakeHeader(h), {1, 2, 3, 4, 5, 6}}));
  ASSERT_TRUE(picture);
  EXPECT_EQ(Values(*picture), Bits({{1, 2, 3}, {4, 5, 6}}, 17));
}

TEST(PcxDecoder, PalettedRows) {
  struct Case {
    const char* name;
    Header header;
    Bytes data;
    std::vector<std::vector<int>> rows;
  };
  const Case cases[] = {
      {"literals and runs",
       Sized(8, 3, 1, 4),
       {1, 0xC3, 7, 0xC2, 9, 0xC2, 8},
       {{1, 7, 7, 7}, {9, 9, 8, 8}}},
      {"0xC0 stands for itself",
       Sized(8, 1, 0, 2),
       {0xC0, 5},
       {{0xC0, 5}}},
      {"padding values of each file row are dropped",
       Sized(8, 2, 1, 4),
       {1, 2, 3, 99, 4, 5, 6, 99},
       {{1, 2, 3}, {4, 5, 6}}},
      // A run that crosses a row's end carries on in the next row, which still starts
      // at its own place.
      {"run across a row end",
       Sized(8, 2, 2, 4),
       {0xC6, 7, 1, 2, 3, 4, 5, 6},
       {{7, 7, 7}, {7, 7, 1}, {3, 4, 5}}},
      {"bytes per line smaller than the width",
       Sized(8, 2, 1, 1),
       {1, 2, 3, 4, 5, 6},
       {{1, 2, 3}, {4, 5, 6}}},
      {"bytes per line 0",
       Sized(8, 1, 1, 0),
       {1, 2, 3, 4},
       {{1, 2}, {3, 4}}},
      // Three planes of 2 values: the pixels are the first width values of a file row.
      {"three planes",
       Sized(8, 1, 1, 2, 3),
       {1, 2, 10, 20, 30, 40, 3, 4, 50, 60, 70, 80},
       {{1, 2}, {3, 4}}},
      {"data ending in a row leaves the rest 0",
       Sized(8, 2, 1, 3),
       {1, 2, 3, 4},
       {{1, 2, 3}, {4, 0, 0}}},
      {"data ending in a run leaves the rest 0",
       Sized(8, 2, 1, 3),
       {1, 2, 3, 0xC5},
       {{1, 2, 3}, {0, 0, 0}}},
  };
  for (const Case& c : cases) {
    auto picture = DecodePcx(Cat({MakeHeader(c.header), c.data}));
    ASSERT_TRUE(picture) << c.name;
    EXPECT_EQ(picture->kind, PictureFormat::kPcx8) << c.name;
    Layout layout(*picture);
    EXPECT_EQ(layout.Image().planes, c.header.planes) << c.name;
    const int width = c.header.right + 1;
    ASSERT_EQ(layout.Image().indices.size(), static_cast<std::size_t>(width) * c.rows.size())
        << c.name;
    for (std::size_t y = 0; y < c.rows.size(); ++y) {
      EXPECT_EQ(layout.Row(static_cast<int>(y), width), c.rows[y]) << c.name << " row " << y;
    }
  }
}

TEST(PcxDecoder, ClosingPalette) {
  const Bytes head = MakeHeader(Sized(8, 1, 0, 2));
  const Bytes palette = ClosingPalette();
  struct Case {
    const char* name;
    Bytes file;
    bool has_palette;
  };
  const Case cases[] = {
      {"right after the pixel data", Cat({head, {1, 2}, palette}), true},
      {"after a run that overshoots the picture", Cat({head, {0xC9, 1}, palette}), true},
      {"one byte short", Cat({head, {1, 2}, Bytes(palette.begin(), palette.end() - 1)}), false},
      {"wrong marker", Cat({head, {1, 2, 11}, Bytes(palette.begin() + 1, palette.end())}), false},
      {"not right after the pixel data", Cat({head, {1, 2, 0}, palette}), false},
      {"pixel data cut short", Cat({head, {1, 0xC5}}), false},
  };
  for (const Case& c : cases) {
    auto picture = DecodePcx(c.file);
    ASSERT_TRUE(picture) << c.name;
    Layout layout(*picture);
    for (int i = 0; i < 256; ++i) {
      const Colour expected =
          c.has_palette ? MakeColour(static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i),
                                     static_cast<std::uint8_t>(3 * i))
                        : 0u;
      ASSERT_EQ(layout.Entry(i), expected) << c.name << " entry " << i;
    }
  }
}

TEST(PcxDecoder, RejectedFiles) {
  const Header good = Sized(8, 1, 1, 2);
  const Bytes data = {1, 2, 3, 4};
  ASSERT_TRUE(DecodePcx(Cat({MakeHeader(good), data})));
  struct Case {
    const char* name;
    Bytes file;
  };
  auto with = [&](auto change) {
    Header h = good;
    change(h);
    return Cat({MakeHeader(h), data});
  };
  Bytes wrong_manufacturer = Cat({MakeHeader(good), data});
  wrong_manufacturer[0] = 0x0B;
  const Case cases[] = {
      {"header only", MakeHeader(good)},
      {"wrong manufacturer", wrong_manufacturer},
      {"version 6", with([](Header& h) { h.version = 6; })},
      {"version 0x80", with([](Header& h) { h.version = 0x80; })},
      {"encoding 0", with([](Header& h) { h.encoding = 0; })},
      {"right before left", with([](Header& h) { h.left = 2; })},
      {"bottom before top", with([](Header& h) { h.top = 2; })},
      {"4 bits", with([](Header& h) { h.bits = 4; })},
      {"24 bits", with([](Header& h) { h.bits = 24; })},
      {"1 bit in 4 planes", with([](Header& h) { h.bits = 1; h.planes = 4; })},
      {"above 2^28 pixels", with([](Header& h) { h.right = 65535; h.bottom = 65535; })},
      {"stored rows above 2^28 bytes",
       with([](Header& h) { h.right = 16384; h.bottom = 16382; h.bytes_per_line = 16385; })},
      {"more pixels than the data can encode",
       with([](Header& h) { h.right = 999; h.bottom = 999; h.bytes_per_line = 1000; })},
      {"more bits than the data can encode",
       with([](Header& h) { h.bits = 1; h.right = 7999; h.bottom = 999; h.bytes_per_line = 1000; })},
  };
  for (const Case& c : cases) EXPECT_FALSE(DecodePcx(c.file)) << c.name;
}

TEST(PcxDecoder, EveryPrefixGivesNothingOrTheRowsDecodedSoFar) {
  for (const char* name : {"pcx_8bit.pcx", "pcx_1bit.pcx"}) {
    const Bytes file = fixtures::TestPicture(name);
    ASSERT_FALSE(file.empty()) << name;
    auto whole = DecodePcx(file);
    ASSERT_TRUE(whole) << name;
    for (std::size_t length = 0; length < file.size(); ++length) {
      auto picture = DecodePcx(std::span(file.data(), length));
      if (!picture) continue;
      // What a prefix decodes agrees with the whole file or is still 0.
      const auto& part = Values(*picture);
      const auto& all = Values(*whole);
      ASSERT_EQ(part.size(), all.size()) << name << " at " << length;
      for (std::size_t i = 0; i < part.size(); ++i) {
        ASSERT_TRUE(part[i] == all[i] || part[i] == 0) << name << " at " << length;
      }
    }
  }
}

}  // namespace
}  // namespace kolvane
