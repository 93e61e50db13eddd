#include "picture/picture_decoder.h"

#include <climits>
#include <string>

#include <gtest/gtest.h>

#include "picture_fixtures.h"

namespace kolvane {
namespace {

using fixtures::Bytes;

constexpr Colour kBackground = 0x00ABCDEF;
const Rect kNoClip{INT_MIN / 2, INT_MIN / 2, INT_MAX, INT_MAX};

std::vector<std::vector<Colour>> Rows(const Bitmap& b) {
  std::vector<std::vector<Colour>> rows(b.Height());
  for (int y = 0; y < b.Height(); ++y) rows[y].assign(b.Row(y), b.Row(y) + b.Width());
  return rows;
}

Bytes Padded(Bytes bytes) {
  bytes.resize(6, 0);
  return bytes;
}

TEST(DetectPictureFormat, FollowsItsRulesInOrder) {
  struct Case {
    std::string name;
    Bytes bytes;
    PictureFormat expected;
  };
  const std::vector<Case> cases = {
      {"five bytes", {'B', 'M', 0, 0, 0}, PictureFormat::kNone},
      {"bitmap", Padded({'B', 'M'}), PictureFormat::kBitmap},
      {"JPEG", Padded({0xFF, 0xD8}), PictureFormat::kJpeg},
      {"icon", {0, 0, 1, 0, 1, 0}, PictureFormat::kIcon},
      {"icon of 256 entries", {0, 0, 1, 0, 0, 1}, PictureFormat::kIcon},
      {"icon without entries", {0, 0, 1, 0, 0, 0}, PictureFormat::kNone},
      {"cursor", {0, 0, 2, 0, 3, 0}, PictureFormat::kCursor},
      {"type 3", {0, 0, 3, 0, 1, 0}, PictureFormat::kNone},
      {"GIF87a", {'G', 'I', 'F', '8', '7', 'a'}, PictureFormat::kGif},
      {"GIF89a", {'G', 'I', 'F', '8', '9', 'a'}, PictureFormat::kGif},
      {"GIF88a", {'G', 'I', 'F', '8', '8', 'a'}, PictureFormat::kNone},
      {"PCX 8 bits, version 5", Padded({0x0A, 5, 1, 8}), PictureFormat::kPcx8},
      {"PCX 8 bits, version 6", Padded({0x0A, 6, 1, 8}), PictureFormat::kNone},
      {"PCX 8 bits, version 3 (rule 6 before 7)", Padded({0x0A, 3, 1, 8}), PictureFormat::kPcx8},
      {"PCX 1 bit, version 3", Padded({0x0A, 3, 1, 1}), PictureFormat::kPcx1},
      {"PCX 1 bit, version 5", Padded({0x0A, 5, 1, 1}), PictureFormat::kNone},
      {"PCX without RLE", Padded({0x0A, 5, 0, 8}), PictureFormat::kNone},
      {"PNG", {0x89, 'P', 'N', 'G', '\r', '\n'}, PictureFormat::kNone},
  };
  for (const Case& c : cases) EXPECT_EQ(DetectPictureFormat(c.bytes), c.expected) << c.name;
}

TEST(DecodePicture, DispatchesByTheFirstBytes) {
  fixtures::BmpFields bmp;
  bmp.rows = {{1, 2, 3}};
  const auto bitmap = DecodePicture(fixtures::Bmp(bmp));
  ASSERT_TRUE(bitmap);
  EXPECT_EQ(bitmap->kind, PictureFormat::kBitmap);

  const auto jpeg = DecodePicture(fixtures::TestPicture("colour.jpg"));
  ASSERT_TRUE(jpeg);
  EXPECT_EQ(jpeg->kind, PictureFormat::kJpeg);

  const auto icon =
      DecodePicture(fixtures::IconFile({{32, 16, fixtures::PlainIconImage(2, 2, 0)}}));
  ASSERT_TRUE(icon);
  EXPECT_EQ(icon->kind, PictureFormat::kIcon);

  EXPECT_FALSE(DecodePicture({}));
  EXPECT_FALSE(DecodePicture(Bytes{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 0}));
  EXPECT_FALSE(DecodePicture(Bytes{0xFF, 0xD8, 0xFF}));  // too short to detect
  EXPECT_FALSE(DecodePicture(fixtures::TestPicture("colour.jpg"), 100));
}

// The GIF and PCX fixtures are drawn from formulas (tests/data/pictures/
// gif_pcx_fixtures.py); their decoders' stored bitmaps must come out as those pixels.
Colour NoiseColour(int i) { return MakeColour(i, (i * 7) & 255, 255 - i); }

TEST(MakeDrawable, GifAndPcxPicturesGiveTheirPixels) {
  auto draw = [](const char* name, PictureFormat kind, TargetState state = {}) {
    const auto picture = DecodePicture(fixtures::TestPicture(name));
    EXPECT_TRUE(picture) << name;
    if (!picture) return Bitmap();
    EXPECT_EQ(picture->kind, kind) << name;
    const auto drawable = MakeDrawable(*picture);
    EXPECT_TRUE(drawable) << name;
    if (!drawable) return Bitmap();
    Bitmap target = *Bitmap::Create(picture->width, picture->height, kBackground);
    DrawDecodedPicture(target, *drawable, 0, 0, -1, -1, state, kNoClip);
    return target;
  };
  const Bitmap gif = draw("gif_noise.gif", PictureFormat::kGif);
  ASSERT_EQ(gif.Width(), 97);
  for (int y = 0; y < gif.Height(); ++y) {
    for (int x = 0; x < gif.Width(); ++x) {
      ASSERT_EQ(gif.Pixel(x, y), NoiseColour((x * x * 7 + y * 13 + x * y * 3 + (x ^ y)) & 255))
          << x << "," << y;
    }
  }
  const Bitmap pcx8 = draw("pcx_8bit.pcx", PictureFormat::kPcx8);
  ASSERT_EQ(pcx8.Width(), 13);
  for (int y = 0; y < pcx8.Height(); ++y) {
    for (int x = 0; x < pcx8.Width(); ++x) {
      ASSERT_EQ(pcx8.Pixel(x, y), NoiseColour((x * 17 + y * 29) & 255)) << x << "," << y;
    }
  }
  TargetState state;
  state.text_colour = 0x000000FF;
  state.background_colour = 0x00FF0000;
  const Bitmap pcx1 = draw("pcx_1bit.pcx", PictureFormat::kPcx1, state);
  ASSERT_EQ(pcx1.Width(), 21);
  for (int y = 0; y < pcx1.Height(); ++y) {
    for (int x = 0; x < pcx1.Width(); ++x) {
      const bool set = (x * 3 + y) % 5 < 2;
      ASSERT_EQ(pcx1.Pixel(x, y), set ? state.background_colour : state.text_colour)
          << x << "," << y;
    }
  }
}

TEST(MakeDrawable, BitmapKindsTurnBottomFirstRowsUpright) {
  DecodedPicture picture;
  picture.kind = PictureFormat::kJpeg;
  picture.width = 2;
  picture.height = 2;
  // Bottom row first: (1,2,3) (4,5,6), then the top row (7,8,9) (10,11,12), as B, G, R.
  picture.pixel_data = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
  const auto drawable = MakeDrawable(picture);
  ASSERT_TRUE(drawable && drawable->bitmap);
  EXPECT_EQ(Rows(*drawable->bitmap),
            (std::vector<std::vector<Colour>>{{MakeColour(9, 8, 7), MakeColour(12, 11, 10)},
                                              {MakeColour(3, 2, 1), MakeColour(6, 5, 4)}}));
  picture.pixel_data.pop_back();
  EXPECT_FALSE(MakeDrawable(picture));
}

// The stored 8-bit form of kinds 5 and 6: header, 256-entry table, padded rows.
Bytes StoredDib(int width, int height, const std::vector<Bytes>& rows, int planes = 1) {
  Bytes out = fixtures::InfoHeader(width, height, 8, 0, 256);
  out[12] = static_cast<std::uint8_t>(planes);
  std::vector<std::uint32_t> table(256);
  for (std::uint32_t i = 0; i < 256; ++i) table[i] = i * 0x010101;
  fixtures::Append(out, fixtures::Table(table));
  fixtures::Append(out, fixtures::PaddedRows(rows));
  return out;
}

TEST(MakeDrawable, GifImageSitsTopLeftOnABlackScreen) {
  DecodedPicture picture;
  picture.kind = PictureFormat::kGif;
  picture.width = 3;
  picture.height = 3;
  picture.pixel_data = StoredDib(2, -2, {{10, 20}, {30, 40}});  // top row first
  const auto drawable = MakeDrawable(picture);
  ASSERT_TRUE(drawable && drawable->bitmap);
  const Colour g10 = 0x0A0A0A, g20 = 0x141414, g30 = 0x1E1E1E, g40 = 0x282828;
  EXPECT_EQ(Rows(*drawable->bitmap),
            (std::vector<std::vector<Colour>>{{g10, g20, 0}, {g30, g40, 0}, {0, 0, 0}}));

  // An image larger than the screen is cut to it.
  picture.width = 1;
  picture.height = 1;
  const auto cut = MakeDrawable(picture);
  ASSERT_TRUE(cut && cut->bitmap);
  EXPECT_EQ(Rows(*cut->bitmap), (std::vector<std::vector<Colour>>{{g10}}));
}

TEST(MakeDrawable, PcxEightBitNeedsOnePlane) {
  DecodedPicture picture;
  picture.kind = PictureFormat::kPcx8;
  picture.width = 2;
  picture.height = 2;
  picture.pixel_data = StoredDib(2, 2, {{1, 2}, {3, 4}});  // positive height: bottom-up
  const auto drawable = MakeDrawable(picture);
  ASSERT_TRUE(drawable && drawable->bitmap);
  EXPECT_EQ(Rows(*drawable->bitmap), (std::vector<std::vector<Colour>>{
                                         {0x030303, 0x040404}, {0x010101, 0x020202}}));

  picture.pixel_data = StoredDib(2, 2, {{1, 2}, {3, 4}}, 3);
  EXPECT_FALSE(MakeDrawable(picture));
  picture.pixel_data = StoredDib(2, 2, {{1, 2}});  // one row short
  EXPECT_FALSE(MakeDrawable(picture));
  picture.pixel_data.resize(30);  // not even a header and table
  EXPECT_FALSE(MakeDrawable(picture));
}

DecodedPicture MonoPicture() {
  DecodedPicture picture;
  picture.kind = PictureFormat::kPcx1;
  picture.width = 3;
  picture.height = 2;
  picture.pixel_data = {0b10100000, 0, 0b01000000, 0};  // rows padded to 2 bytes
  return picture;
}

TEST(DrawDecodedPicture, OneBitPicturesTakeTheTargetsColours) {
  const auto drawable = MakeDrawable(MonoPicture());
  ASSERT_TRUE(drawable);
  Bitmap target = *Bitmap::Create(3, 2, kBackground);
  TargetState state;
  state.text_colour = 0x000000FF;
  state.background_colour = 0x0000FF00;
  DrawDecodedPicture(target, *drawable, 0, 0, -1, -1, state, kNoClip);
  const Colour t = 0x0000FF, b = 0x00FF00;
  EXPECT_EQ(Rows(target), (std::vector<std::vector<Colour>>{{b, t, b}, {t, b, t}}));

  DecodedPicture short_rows = MonoPicture();
  short_rows.pixel_data.resize(3);
  EXPECT_FALSE(MakeDrawable(short_rows));
}

TEST(DrawDecodedPicture, NaturalSizeStretchModeAndClip) {
  DecodedPicture picture;
  picture.kind = PictureFormat::kBitmap;
  picture.width = 2;
  picture.height = 1;
  picture.pixel_data = {0, 0, 0, 200, 100, 50};  // black, then (50, 100, 200)
  const auto drawable = MakeDrawable(picture);
  ASSERT_TRUE(drawable);

  Bitmap target = *Bitmap::Create(3, 2, kBackground);
  DrawDecodedPicture(target, *drawable, 1, 1, -1, -1, {}, kNoClip);
  EXPECT_EQ(Rows(target), (std::vector<std::vector<Colour>>{
                              {kBackground, kBackground, kBackground},
                              {kBackground, 0, MakeColour(50, 100, 200)}}));

  TargetState halftone;
  halftone.stretch_mode = StretchMode::kHalftone;
  Bitmap averaged = *Bitmap::Create(1, 1);
  DrawDecodedPicture(averaged, *drawable, 0, 0, 1, 1, halftone, kNoClip);
  EXPECT_EQ(averaged.Pixel(0, 0), MakeColour(25, 50, 100));

  TargetState nearest;
  nearest.stretch_mode = StretchMode::kColourOnColour;
  Bitmap picked = *Bitmap::Create(1, 1);
  DrawDecodedPicture(picked, *drawable, 0, 0, 1, 1, nearest, kNoClip);
  EXPECT_EQ(picked.Pixel(0, 0), MakeColour(50, 100, 200));

  Bitmap clipped = *Bitmap::Create(2, 1, kBackground);
  DrawDecodedPicture(clipped, *drawable, 0, 0, -1, -1, {}, {1, 0, 5, 5});
  EXPECT_EQ(Rows(clipped)[0], (std::vector<Colour>{kBackground, MakeColour(50, 100, 200)}));
}

std::shared_ptr<const Icon> TwoByTwoIcon(std::vector<Colour> colour, std::vector<std::uint8_t> mask,
                                         std::vector<std::uint8_t> alpha = {}) {
  auto icon = std::make_shared<Icon>();
  icon->width = 2;
  icon->height = 2;
  icon->colour = std::move(colour);
  icon->and_mask = std::move(mask);
  icon->alpha = std::move(alpha);
  return icon;
}

Drawable IconDrawable(std::shared_ptr<const Icon> icon) {
  DecodedPicture picture;
  picture.kind = PictureFormat::kIcon;
  picture.width = 2;
  picture.height = 2;
  picture.icon = std::move(icon);
  return *MakeDrawable(picture);
}

TEST(DrawDecodedPicture, IconsDrawThroughTheirMask) {
  // Unmasked pixels take their colour; masked ones keep the target, XORed with their
  // colour (0 leaves it as it is).
  const Drawable drawable =
      IconDrawable(TwoByTwoIcon({0x0000FF, 0, 0, 0x00FFFFFF}, {0, 1, 0, 1}));
  Bitmap target = *Bitmap::Create(2, 2, kBackground);
  DrawDecodedPicture(target, drawable, 0, 0, -1, -1, {}, kNoClip);
  EXPECT_EQ(Rows(target), (std::vector<std::vector<Colour>>{
                              {0x0000FF, kBackground}, {0, kBackground ^ 0x00FFFFFF}}));
}

TEST(DrawDecodedPicture, IconsWithAlphaBlendAndStretchByNearestPixel) {
  const Drawable drawable = IconDrawable(TwoByTwoIcon(
      {MakeColour(255, 0, 0), MakeColour(200, 200, 200), 0, MakeColour(0, 0, 255)},
      {1, 1, 1, 1}, {255, 128, 0, 64}));
  Bitmap target = *Bitmap::Create(4, 4, MakeColour(0, 100, 0));
  DrawDecodedPicture(target, drawable, 0, 0, 4, 4, {}, kNoClip);
  const Colour red = MakeColour(255, 0, 0);
  const Colour half_grey = MakeColour(100, 150, 100);  // (200*128 + 0|100*127) / 255
  const Colour kept = MakeColour(0, 100, 0);
  const Colour quarter_blue = MakeColour(0, 75, 64);
  EXPECT_EQ(Rows(target), (std::vector<std::vector<Colour>>{
                              {red, red, half_grey, half_grey},
                              {red, red, half_grey, half_grey},
                              {kept, kept, quarter_blue, quarter_blue},
                              {kept, kept, quarter_blue, quarter_blue}}));
}

TEST(MakeDrawable, FailsWithoutSomethingToDraw) {
  DecodedPicture none;
  EXPECT_FALSE(MakeDrawable(none));
  DecodedPicture icon_without_icon;
  icon_without_icon.kind = PictureFormat::kIcon;
  icon_without_icon.width = icon_without_icon.height = 2;
  EXPECT_FALSE(MakeDrawable(icon_without_icon));
  DecodedPicture empty_jpeg;
  empty_jpeg.kind = PictureFormat::kJpeg;
  EXPECT_FALSE(MakeDrawable(empty_jpeg));
}

}  // namespace
}  // namespace kolvane
