#include "picture/gif_decoder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "base/types.h"
#include "picture_fixtures.h"

namespace kolvane {
namespace {

using Bytes = std::vector<std::uint8_t>;


// The fixtures' formulas, as gif_pcx_fixtures.py writes them.
int NoiseIndex(int x, int y) { return (x * x * 7 + y * 13 + x * y * 3 + (x ^ y)) & 255; }
Colour NoiseColour(int i) {
  return MakeColour(static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i * 7),
                    static_cast<std::uint8_t>(255 - i));
}

// The first image of a GIF picture: its own size, indices and palette.
class Layout {
 public:
  explicit Layout(const DecodedPicture& picture)
      : image_(std::get<IndexedPixels>(picture.pixels)) {}
  int Width() const { return image_.width; }
  int Height() const { return image_.height; }
  int Index(int x, int y) const {
    return image_.indices.at(static_cast<std::size_t>(y) * image_.width + x);
  }
  Colour Entry(int i) const { return image_.palette.at(static_cast<std::size_t>(i)); }
  Colour At(int x, int y) const { return Entry(Index(x, y)); }
  bool operator==(const Layout& other) const {
    return image_.width == other.image_.width && image_.height == other.image_.height &&
           image_.indices == other.image_.indices && image_.palette == other.image_.palette;
  }

 private:
  const IndexedPixels& image_;
};

// --- Builders for hand-made files -------------------------------------------------

Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}

Bytes Le16(int value) {
  return {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8)};
}

// The size bits of a table flag byte for a table of rgb.size() / 3 entries (2..256).
int TableBits(const Bytes& rgb) {
  int bits = 0;
  while ((2u << bits) < rgb.size() / 3) ++bits;
  return bits;
}

// Signature and logical screen descriptor, with a global table when rgb is not empty.
Bytes Screen(int width, int height, const Bytes& rgb = {}, const char* signature = "GIF89a") {
  Bytes out(signature, signature + 6);
  out = Cat({out, Le16(width), Le16(height)});
  out.push_back(rgb.empty() ? 0 : static_cast<std::uint8_t>(0x80 | TableBits(rgb)));
  out.push_back(0);  // background index
  out.push_back(0);  // aspect ratio
  return Cat({out, rgb});
}

// Splits data into sub-blocks of at most chunk bytes and ends the chain.
Bytes SubBlocks(const Bytes& data, std::size_t chunk = 255) {
  Bytes out;
  for (std::size_t at = 0; at < data.size(); at += chunk) {
    const std::size_t n = std::min(chunk, data.size() - at);
    out.push_back(static_cast<std::uint8_t>(n));
    out.insert(out.end(), data.begin() + at, data.begin() + at + n);
  }
  out.push_back(0);
  return out;
}

struct ImageFields {
  int width = 0;
  int height = 0;
  int left = 0;
  int top = 0;
  bool interlaced = false;
  Bytes local_rgb;
  int literal_bits = 2;

  ImageFields& At(int x, int y) { left = x; top = y; return *this; }
  ImageFields& Interlaced() { interlaced = true; return *this; }
  ImageFields& Local(Bytes rgb) { local_rgb = std::move(rgb); return *this; }
  ImageFields& LiteralBits(int bits) { literal_bits = bits; return *this; }
};

ImageFields Sized(int width, int height) {
  ImageFields fields;
  fields.width = width;
  fields.height = height;
  return fields;
}

// Image descriptor, optional local table, minimum code size and the packed codes.
Bytes Image(const ImageFields& fields, const Bytes& packed, std::size_t chunk = 255) {
  Bytes out = Cat({{0x2C}, Le16(fields.left), Le16(fields.top), Le16(fields.width), Le16(fields.height)});
  std::uint8_t flags = fields.interlaced ? 0x40 : 0;
  if (!fields.local_rgb.empty()) flags |= 0x80 | TableBits(fields.local_rgb);
  out.push_back(flags);
  out = Cat({out, fields.local_rgb});
  out.push_back(static_cast<std::uint8_t>(fields.literal_bits));
  return Cat({out, SubBlocks(packed, chunk)});
}

// Packs {code, width} pairs least significant bit first.
Bytes Pack(const std::vector<std::pair<int, int>>& codes) {
  Bytes out;
  std::uint32_t bits = 0;
  int count = 0;
  for (auto [code, width] : codes) {
    bits |= static_cast<std::uint32_t>(code) << count;
    count += width;
    while (count >= 8) {
      out.push_back(static_cast<std::uint8_t>(bits));
      bits >>= 8;
      count -= 8;
    }
  }
  if (count > 0) out.push_back(static_cast<std::uint8_t>(bits));
  return out;
}

// An uncompressed stream: clear, one literal per pixel, end. Every code after the first
// literal defines a table entry on the decoder's side, so the width grows with them.
std::vector<std::pair<int, int>> LiteralCodes(int literal_bits, const std::vector<int>& pixels) {
  const int clear = 1 << literal_bits;
  int width = literal_bits + 1;
  int next = clear + 2;
  std::vector<std::pair<int, int>> codes = {{clear, width}};
  for (std::size_t i = 0; i < pixels.size(); ++i) {
    codes.push_back({pixels[i], width});
    if (i > 0 && next < 4096 && ++next == (1 << width) && width < 12) ++width;
  }
  codes.push_back({clear + 1, width});
  return codes;
}

const Bytes kFourColours = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255};
constexpr Colour kRed = 0x000000FF;
constexpr Colour kGreen = 0x0000FF00;
constexpr Colour kBlue = 0x00FF0000;
constexpr Colour kWhite = 0x00FFFFFF;

// A valid 3 x 2 picture: rows {0 1 2} {3 2 1} in the four colours.
Bytes SmallGif(const Bytes& before_image = {}) {
  return Cat({Screen(3, 2, kFourColours), before_image,
              Image(Sized(3, 2), Pack(LiteralCodes(2, {0, 1, 2, 3, 2, 1}))),
              {0x3B}});
}

// --- Files from other encoders ----------------------------------------------------

TEST(GifDecoder, NoisePictureMatchesItsFormulaAndLayout) {
  // A Pillow-written GIF89a whose codes fill the 4096-entry table more than once.
  const Bytes file = fixtures::TestPicture("gif_noise.gif");
  ASSERT_FALSE(file.empty());
  auto picture = DecodeGif(file);
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->kind, PictureFormat::kGif);
  EXPECT_EQ(picture->width, 97);
  EXPECT_EQ(picture->height, 61);
  Layout layout(*picture);
  EXPECT_EQ(layout.Width(), 97);
  EXPECT_EQ(layout.Height(), 61);
  ASSERT_EQ(std::get<IndexedPixels>(picture->pixels).indices.size(), 97u * 61u);
  EXPECT_EQ(std::get<IndexedPixels>(picture->pixels).planes, 1);
  for (int y = 0; y < 61; ++y) {
    for (int x = 0; x < 97; ++x) {
      ASSERT_EQ(layout.At(x, y), NoiseColour(NoiseIndex(x, y))) << x << "," << y;
    }
  }
}

TEST(GifDecoder, InterlacedAndOtherEncoderTwinsGiveTheSamePicture) {
  auto plain = DecodeGif(fixtures::TestPicture("gif_noise.gif"));
  auto interlaced = DecodeGif(fixtures::TestPicture("gif_noise_interlaced.gif"));
  ASSERT_TRUE(plain && interlaced);
  EXPECT_TRUE(Layout(*plain) == Layout(*interlaced));

  // The GIF87a twin, written by ImageMagick, may order its table differently.
  auto older = DecodeGif(fixtures::TestPicture("gif_noise_87a.gif"));
  ASSERT_TRUE(older);
  EXPECT_EQ(older->width, plain->width);
  EXPECT_EQ(older->height, plain->height);
  Layout a(*plain), b(*older);
  for (int y = 0; y < 61; ++y) {
    for (int x = 0; x < 97; ++x) ASSERT_EQ(a.At(x, y), b.At(x, y)) << x << "," << y;
  }
}

TEST(GifDecoder, AnimatedGivesItsFirstFrameOnly) {
  auto picture = DecodeGif(fixtures::TestPicture("gif_animated.gif"));
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->width, 8);
  EXPECT_EQ(picture->height, 6);
  Layout layout(*picture);
  const Colour cycle[3] = {kRed, kGreen, kBlue};
  for (int y = 0; y < 6; ++y) {
    for (int x = 0; x < 8; ++x) {
      const int index = (x + y) % 8;
      EXPECT_EQ(layout.Index(x, y), index);
      EXPECT_EQ(layout.At(x, y), cycle[index % 3]);
    }
  }
}

TEST(GifDecoder, TransparentIndexShowsItsTableColour) {
  auto picture = DecodeGif(fixtures::TestPicture("gif_transparent.gif"));
  ASSERT_TRUE(picture);
  Layout layout(*picture);
  EXPECT_EQ(layout.Index(3, 0), 3);
  EXPECT_EQ(layout.At(3, 0), MakeColour(0, 200, 0));
  EXPECT_EQ(layout.At(0, 2), MakeColour(10, 20, 30));
}

// --- Hand-made files ----------------------------------------------------------------

TEST(GifDecoder, ImageSmallerThanScreenKeepsScreenSizeAndIgnoresPlacement) {
  const Bytes file = Cat({Screen(10, 8, kFourColours),
                          Image(Sized(3, 2).At(4, 5),
                                Pack(LiteralCodes(2, {0, 1, 2, 3, 2, 1}))),
                          {0x3B}});
  auto picture = DecodeGif(file);
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->width, 10);
  EXPECT_EQ(picture->height, 8);
  Layout layout(*picture);
  EXPECT_EQ(layout.Width(), 3);
  EXPECT_EQ(layout.Height(), 2);
  ASSERT_EQ(std::get<IndexedPixels>(picture->pixels).indices.size(), 3u * 2u);
  EXPECT_EQ(layout.At(0, 0), kRed);
  EXPECT_EQ(layout.At(2, 0), kBlue);
  EXPECT_EQ(layout.At(0, 1), kWhite);
  EXPECT_EQ(layout.At(2, 1), kGreen);
}

TEST(GifDecoder, ColourTables) {
  const auto codes = Pack(LiteralCodes(2, {0, 1, 2, 3}));
  // No table at all: every entry black.
  auto bare = DecodeGif(Cat({Screen(2, 2), Image(Sized(2, 2), codes)}));
  ASSERT_TRUE(bare);
  for (int i = 0; i < 256; ++i) ASSERT_EQ(Layout(*bare).Entry(i), 0u) << i;

  // A two-entry global table: indices 2 and 3 lie beyond it and are black.
  const Bytes two = {1, 2, 3, 4, 5, 6};
  auto small = DecodeGif(Cat({Screen(2, 2, two), Image(Sized(2, 2), codes)}));
  ASSERT_TRUE(small);
  Layout s(*small);
  EXPECT_EQ(s.At(0, 0), MakeColour(1, 2, 3));
  EXPECT_EQ(s.At(1, 0), MakeColour(4, 5, 6));
  EXPECT_EQ(s.At(0, 1), 0u);
  EXPECT_EQ(s.At(1, 1), 0u);

  // A local table wins over the global one, and entries past it are black, not global.
  auto local = DecodeGif(Cat({Screen(2, 2, kFourColours),
                              Image(Sized(2, 2).Local(two), codes)}));
  ASSERT_TRUE(local);
  Layout l(*local);
  EXPECT_EQ(l.At(0, 0), MakeColour(1, 2, 3));
  EXPECT_EQ(l.At(1, 1), 0u);
}

TEST(GifDecoder, ExtensionsBeforeTheImageArePassed) {
  const Bytes graphic_control = {0x21, 0xF9, 4, 0x01, 10, 0, 2, 0};
  const Bytes comment = Cat({{0x21, 0xFE}, SubBlocks({'h', 'i', '!'}, 2)});
  const Bytes application =
      Cat({{0x21, 0xFF, 11, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0'},
           SubBlocks({1, 0, 0})});
  const Bytes plain_text =
      Cat({{0x21, 0x01, 12, 0, 0, 0, 0, 8, 0, 8, 0, 8, 8, 1, 0}, SubBlocks({'a', 'b'})});
  auto reference = DecodeGif(SmallGif());
  auto picture = DecodeGif(SmallGif(Cat({graphic_control, comment, application, plain_text})));
  ASSERT_TRUE(reference && picture);
  EXPECT_TRUE(Layout(*picture) == Layout(*reference));
}

TEST(GifDecoder, RejectedFiles) {
  const Bytes screen = Screen(3, 2, kFourColours);
  const Bytes image = Image(Sized(3, 2), Pack(LiteralCodes(2, {0, 1, 2, 3, 2, 1})));
  const Bytes small = SmallGif();
  Bytes bad_signature = small;
  bad_signature[4] = '8';
  const Bytes table_to_end = Screen(3, 2, kFourColours);  // exactly 13 + table bytes

  struct Case {
    const char* name;
    Bytes file;
  };
  const Case cases[] = {
      {"13 bytes", Bytes(small.begin(), small.begin() + 13)},
      {"GIF88a", bad_signature},
      {"global table reaching the end", table_to_end},
      {"trailer before any image", Cat({screen, {0x3B}, image})},
      {"zero byte before any image", Cat({screen, {0x00}, image})},
      {"extension and trailer only", Cat({screen, {0x21, 0xFE, 0, 0x3B}})},
      {"data ending in the block walk", Cat({screen, {0x21, 0xFE, 0}})},
      {"unknown extension label", Cat({screen, {0x21, 0x02, 0}, image})},
      {"stray block byte", Cat({screen, {0x50}, image})},
      {"comment chain past the end", Cat({screen, {0x21, 0xFE, 9, 'a', 'b'}})},
      {"graphic control cut short", Cat({screen, {0x21, 0xF9, 4, 0}})},
      {"descriptor cut short", Cat({screen, {0x2C, 0, 0, 0, 0, 3, 0}})},
      {"descriptor cut in its height", Cat({screen, {0x2C, 0, 0, 0, 0, 3, 0, 2}})},
      {"local table cut short",
       Cat({screen, {0x2C, 0, 0, 0, 0, 3, 0, 2, 0, 0x81, 1, 2, 3}})},
      {"no minimum code size", Cat({screen, {0x2C, 0, 0, 0, 0, 3, 0, 2, 0, 0}})},
      {"image width 0", Cat({screen, Image(Sized(0, 2), Pack({{4, 3}, {5, 3}}))})},
      {"image height 0", Cat({screen, Image(Sized(3, 0), Pack({{4, 3}, {5, 3}}))})},
      {"screen width 0", Cat({Screen(0, 2, kFourColours), image})},
      {"image above 2^28 pixels",
       Cat({screen, Image(Sized(65535, 65535), Bytes(4000, 0))})},
      {"more pixels than the data can encode",
       Cat({screen, Image(Sized(1000, 1000), Pack({{4, 3}, {0, 3}}))})},
      {"minimum code size 0", Cat({screen, Image(Sized(3, 2).LiteralBits(0),
                                                 Pack({{1, 1}, {2, 1}}))})},
      {"minimum code size 9", Cat({screen, Image(Sized(3, 2).LiteralBits(9),
                                                 Pack({{512, 10}, {513, 10}}))})},
      {"minimum code size 12", Cat({screen, Image(Sized(3, 2).LiteralBits(12),
                                                  Pack({{4096, 13}, {0, 13}}))})},
  };
  for (const Case& c : cases) EXPECT_FALSE(DecodeGif(c.file)) << c.name;
}

TEST(GifDecoder, LzwCodes) {
  // Minimum code size 2: literals 0..3, clear 4, end 5, first free entry 6.
  struct Case {
    const char* name;
    std::vector<std::pair<int, int>> codes;
    std::vector<int> pixels;  // empty: the file is rejected
  };
  const Case cases[] = {
      {"literals", {{4, 3}, {1, 3}, {2, 3}, {3, 3}, {5, 3}}, {1, 2, 3, 0}},
      {"no clear code first", {{2, 3}, {2, 3}, {5, 3}}, {2, 2, 0, 0}},
      // Entry 6 = "1 1" is defined by the very code that uses it.
      {"code naming the entry being defined", {{4, 3}, {1, 3}, {6, 3}, {5, 3}}, {1, 1, 1, 0}},
      {"entry reuse", {{4, 3}, {1, 3}, {2, 3}, {6, 3}, {5, 4}}, {1, 2, 1, 2}},
      {"clear resets the table", {{4, 3}, {3, 3}, {4, 3}, {2, 3}, {5, 3}}, {3, 2, 0, 0}},
      {"codes after the end code are ignored", {{4, 3}, {1, 3}, {5, 3}, {7, 3}}, {1, 0, 0, 0}},
      {"extra pixels past the image are dropped",
       {{4, 3}, {1, 3}, {1, 3}, {1, 3}, {1, 4}, {1, 4}, {1, 4}, {5, 4}}, {1, 1, 1, 1}},
      {"first code after clear is clear + 2", {{4, 3}, {6, 3}, {5, 3}}, {}},
      {"first code after clear is clear + 3", {{4, 3}, {7, 3}, {5, 3}}, {}},
      {"first code at the start is an entry", {{7, 3}, {5, 3}}, {}},
      {"code beyond the next free entry", {{4, 3}, {1, 3}, {7, 3}, {5, 3}}, {}},
      // Entries 6 ("1 2") and 7 ("2 1") are gone after the clear; 7 must not resolve
      // through the links the table still holds from before.
      {"stale entry after clear",
       {{4, 3}, {1, 3}, {2, 3}, {1, 3}, {4, 4}, {3, 3}, {7, 3}, {5, 3}},
       {}},
  };
  for (const Case& c : cases) {
    const Bytes packed = Pack(c.codes);
    for (std::size_t chunk : {std::size_t{255}, std::size_t{1}}) {
      auto picture = DecodeGif(Cat({Screen(2, 2, kFourColours),
                                    Image(Sized(2, 2), packed, chunk)}));
      if (c.pixels.empty()) {
        EXPECT_FALSE(picture) << c.name;
        continue;
      }
      ASSERT_TRUE(picture) << c.name;
      Layout layout(*picture);
      std::vector<int> got;
      for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 2; ++x) got.push_back(layout.Index(x, y));
      }
      EXPECT_EQ(got, c.pixels) << c.name << " in sub-blocks of " << chunk;
    }
  }
}

TEST(GifDecoder, InterlacedRowsFollowTheFourPasses) {
  // Ten rows of one pixel each, stored in pass order: 0 8 | 4 | 2 6 | 1 3 5 7 9.
  const std::vector<int> pass_order = {0, 8, 4, 2, 6, 1, 3, 5, 7, 9};
  std::vector<int> stored;
  for (int row : pass_order) stored.push_back(row % 4);
  auto picture = DecodeGif(Cat({Screen(1, 10, kFourColours),
                                Image(Sized(1, 10).Interlaced(),
                                      Pack(LiteralCodes(2, stored)))}));
  ASSERT_TRUE(picture);
  Layout layout(*picture);
  for (int y = 0; y < 10; ++y) EXPECT_EQ(layout.Index(0, y), y % 4) << "row " << y;
}

TEST(GifDecoder, FullTableIsKeptUntilAClearCode) {
  // 4160 literals without a clear: the table fills after 4090 of them, the width stops
  // at 12 bits and the remaining literals still decode.
  std::vector<int> pixels;
  for (int i = 0; i < 64 * 65; ++i) pixels.push_back((i * 7 / 3) % 4);
  auto picture = DecodeGif(Cat({Screen(64, 65, kFourColours),
                                Image(Sized(64, 65), Pack(LiteralCodes(2, pixels)))}));
  ASSERT_TRUE(picture);
  Layout layout(*picture);
  for (int i = 0; i < 64 * 65; ++i) ASSERT_EQ(layout.Index(i % 64, i / 64), pixels[i]) << i;
}

TEST(GifDecoder, EveryPrefixGivesNothingOrTheRowsDecodedSoFar) {
  // Decoding stops at the end of the data: a cut-off file keeps the pixels before the
  // cut and leaves the rest at index 0. The count of right pixels never drops as the
  // cut moves on, and the whole file is right everywhere.
  const Bytes file = fixtures::TestPicture("gif_noise.gif");
  ASSERT_FALSE(file.empty());
  std::size_t last_good = 0;
  bool decoded_any = false;
  for (std::size_t length = 0; length <= file.size(); ++length) {
    auto picture = DecodeGif(std::span(file.data(), length));
    if (!picture) {
      ASSERT_FALSE(decoded_any) << "a longer prefix was rejected at " << length;
      continue;
    }
    decoded_any = true;
    Layout layout(*picture);
    std::size_t good = 0;
    bool past = false;
    for (int y = 0; y < 61; ++y) {
      for (int x = 0; x < 97; ++x) {
        if (!past && layout.Index(x, y) == NoiseIndex(x, y)) {
          ++good;
        } else {
          past = true;
        }
      }
    }
    ASSERT_GE(good, last_good) << "at " << length;
    last_good = good;
  }
  EXPECT_TRUE(decoded_any);
  EXPECT_EQ(last_good, 97u * 61u);
}

TEST(GifDecoder, EveryPrefixOfAHandMadeFileIsSafe) {
  const Bytes file = SmallGif(Cat({{0x21, 0xF9, 4, 0x01, 10, 0, 2, 0},
                                   {0x21, 0xFE}, SubBlocks({'x', 'y', 'z'}, 1)}));
  for (std::size_t length = 0; length <= file.size(); ++length) {
    auto picture = DecodeGif(std::span(file.data(), length));
    if (picture) {
      EXPECT_EQ(Layout(*picture).Width(), 3);
      EXPECT_EQ(Layout(*picture).Height(), 2);
    }
  }
  EXPECT_TRUE(DecodeGif(file));
}

}  // namespace
}  // namespace kolvane
