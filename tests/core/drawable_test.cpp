#include "picture/drawable.h"

#include <climits>
#include <vector>

#include <gtest/gtest.h>

#include "picture/picture_decoder.h"
#include "picture_fixtures.h"

namespace kolvane {
namespace {

using Rows = std::vector<std::vector<Colour>>;

constexpr Colour kBackground = 0x00ABCDEF;
const Rect kNoClip{INT_MIN / 2, INT_MIN / 2, INT_MAX, INT_MAX};

Rows RowsOf(const Bitmap& b) {
  Rows rows(b.Height());
  for (int y = 0; y < b.Height(); ++y) rows[y].assign(b.Row(y), b.Row(y) + b.Width());
  return rows;
}

Bitmap FromRows(const Rows& rows) {
  Bitmap b = *Bitmap::Create(static_cast<int>(rows[0].size()), static_cast<int>(rows.size()));
  for (int y = 0; y < b.Height(); ++y) {
    for (int x = 0; x < b.Width(); ++x) b.SetPixel(x, y, rows[y][x]);
  }
  return b;
}

const Bitmap& BitmapOf(const Drawable& drawable) { return std::get<Bitmap>(drawable.image); }

// The GIF and PCX fixtures are drawn from formulas (tests/data/pictures/
// gif_pcx_fixtures.py); their drawables must come out as those pixels.
Colour NoiseColour(int i) { return MakeColour(i, (i * 7) & 255, 255 - i); }

TEST(MakeDrawable, GifAndPcxPicturesGiveTheirPixels) {
  auto draw = [](const char* name, PictureFormat kind, TargetState state = {}) {
    auto picture = DecodePicture(fixtures::TestPicture(name));
    EXPECT_TRUE(picture) << name;
    if (!picture) return Bitmap();
    EXPECT_EQ(picture->kind, kind) << name;
    Bitmap target = *Bitmap::Create(picture->width, picture->height, kBackground);
    const auto drawable = MakeDrawable(std::move(*picture));
    EXPECT_TRUE(drawable) << name;
    if (!drawable) return Bitmap();
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

TEST(MakeDrawable, TrueColourPicturesAreTheirOwnBitmap) {
  const Rows pixels = {{MakeColour(9, 8, 7), MakeColour(12, 11, 10)},
                       {MakeColour(3, 2, 1), MakeColour(6, 5, 4)}};
  const auto drawable = MakeDrawable({PictureFormat::kJpeg, 2, 2, FromRows(pixels)});
  ASSERT_TRUE(drawable);
  EXPECT_EQ(RowsOf(BitmapOf(*drawable)), pixels);
  // Pixels that do not fit the picture's size make nothing.
  EXPECT_FALSE(MakeDrawable({PictureFormat::kBitmap, 2, 3, FromRows(pixels)}));
}

// A width x height indexed image whose palette entry i is grey level i.
IndexedPixels GreyImage(int width, int height, std::vector<std::uint8_t> indices, int planes = 1) {
  IndexedPixels image;
  image.width = width;
  image.height = height;
  image.indices = std::move(indices);
  image.planes = planes;
  for (std::uint32_t i = 0; i < 256; ++i) image.palette[i] = i * 0x010101;
  return image;
}

TEST(MakeDrawable, GifImageSitsTopLeftOnABlackScreen) {
  const IndexedPixels image = GreyImage(2, 2, {10, 20, 30, 40});
  const auto drawable = MakeDrawable({PictureFormat::kGif, 3, 3, image});
  ASSERT_TRUE(drawable);
  const Colour g10 = 0x0A0A0A, g20 = 0x141414, g30 = 0x1E1E1E, g40 = 0x282828;
  EXPECT_EQ(RowsOf(BitmapOf(*drawable)), (Rows{{g10, g20, 0}, {g30, g40, 0}, {0, 0, 0}}));

  // An image larger than the screen is cut to it.
  const auto cut = MakeDrawable({PictureFormat::kGif, 1, 1, image});
  ASSERT_TRUE(cut);
  EXPECT_EQ(RowsOf(BitmapOf(*cut)), (Rows{{g10}}));
}

TEST(MakeDrawable, IndexedPicturesNeedOnePlaneAndAllTheirIndices) {
  const auto drawable = MakeDrawable({PictureFormat::kPcx8, 2, 2, GreyImage(2, 2, {3, 4, 1, 2})});
  ASSERT_TRUE(drawable);
  EXPECT_EQ(RowsOf(BitmapOf(*drawable)), (Rows{{0x030303, 0x040404}, {0x010101, 0x020202}}));

  EXPECT_FALSE(MakeDrawable({PictureFormat::kPcx8, 2, 2, GreyImage(2, 2, {3, 4, 1, 2}, 3)}));
  EXPECT_FALSE(MakeDrawable({PictureFormat::kPcx8, 2, 2, GreyImage(2, 2, {3, 4, 1})}));
}

DecodedPicture MonoPicture(std::vector<std::uint8_t> values) {
  return {PictureFormat::kPcx1, 3, 2, MonoPixels{3, 2, std::move(values)}};
}

TEST(DrawDecodedPicture, OneBitPicturesTakeTheTargetsColours) {
  const auto drawable = MakeDrawable(MonoPicture({1, 0, 1, 0, 1, 0}));
  ASSERT_TRUE(drawable);
  Bitmap target = *Bitmap::Create(3, 2, kBackground);
  TargetState state;
  state.text_colour = 0x000000FF;
  state.background_colour = 0x0000FF00;
  DrawDecodedPicture(target, *drawable, 0, 0, -1, -1, state, kNoClip);
  const Colour t = 0x0000FF, b = 0x00FF00;
  EXPECT_EQ(RowsOf(target), (Rows{{b, t, b}, {t, b, t}}));

  EXPECT_FALSE(MakeDrawable(MonoPicture({1, 0, 1})));
}

TEST(DrawDecodedPicture, NaturalSizeStretchModeAndClip) {
  const auto drawable =
      MakeDrawable({PictureFormat::kBitmap, 2, 1, FromRows({{0, MakeColour(50, 100, 200)}})});
  ASSERT_TRUE(drawable);

  Bitmap target = *Bitmap::Create(3, 2, kBackground);
  DrawDecodedPicture(target, *drawable, 1, 1, -1, -1, {}, kNoClip);
  EXPECT_EQ(RowsOf(target), (Rows{{kBackground, kBackground, kBackground},
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
  EXPECT_EQ(RowsOf(clipped)[0], (std::vector<Colour>{kBackground, MakeColour(50, 100, 200)}));
}

Drawable IconDrawable(int width, int height, std::vector<Colour> colour,
                      std::vector<std::uint8_t> mask, std::vector<std::uint8_t> alpha = {}) {
  Icon icon{width, height, std::move(colour), std::move(mask), std::move(alpha)};
  return *MakeDrawable({PictureFormat::kIcon, width, height, std::move(icon)});
}

TEST(DrawDecodedPicture, IconsDrawThroughTheirMask) {
  // Unmasked pixels take their colour; masked ones keep the target, XORed with their
  // colour (0 leaves it as it is).
  const Drawable drawable = IconDrawable(2, 2, {0x0000FF, 0, 0, 0x00FFFFFF}, {0, 1, 0, 1});
  Bitmap target = *Bitmap::Create(2, 2, kBackground);
  DrawDecodedPicture(target, drawable, 0, 0, -1, -1, {}, kNoClip);
  EXPECT_EQ(RowsOf(target), (Rows{{0x0000FF, kBackground}, {0, kBackground ^ 0x00FFFFFF}}));
}

TEST(DrawDecodedPicture, IconsWithAlphaBlendAndStretchByNearestPixel) {
  const Drawable drawable = IconDrawable(
      2, 2, {MakeColour(255, 0, 0), MakeColour(200, 200, 200), 0, MakeColour(0, 0, 255)},
      {1, 1, 1, 1}, {255, 128, 0, 64});
  Bitmap target = *Bitmap::Create(4, 4, MakeColour(0, 100, 0));
  DrawDecodedPicture(target, drawable, 0, 0, 4, 4, {}, kNoClip);
  const Colour red = MakeColour(255, 0, 0);
  const Colour half_grey = MakeColour(100, 150, 100);  // (200*128 + 0|100*127) / 255
  const Colour kept = MakeColour(0, 100, 0);
  const Colour quarter_blue = MakeColour(0, 75, 64);
  EXPECT_EQ(RowsOf(target), (Rows{{red, red, half_grey, half_grey},
                                  {red, red, half_grey, half_grey},
                                  {kept, kept, quarter_blue, quarter_blue},
                                  {kept, kept, quarter_blue, quarter_blue}}));
}

TEST(DrawDecodedPicture, IconsSampleTheSourcePixelUnderEachPixelsCentre) {
  // At a shrink or an odd ratio, the pixel under a destination pixel's centre differs
  // from the one under its top-left corner.
  const Colour a = 0x0000AA, b = 0x00BB00, c = 0xCC0000;
  const Drawable three = IconDrawable(3, 1, {a, b, c}, {0, 0, 0});
  Bitmap shrunk = *Bitmap::Create(2, 1, kBackground);
  DrawDecodedPicture(shrunk, three, 0, 0, 2, 1, {}, kNoClip);
  EXPECT_EQ(RowsOf(shrunk), (Rows{{a, c}}));  // centres at 0.75 and 2.25 of 3

  const Drawable two = IconDrawable(2, 1, {a, b}, {0, 0});
  Bitmap enlarged = *Bitmap::Create(3, 1, kBackground);
  DrawDecodedPicture(enlarged, two, 0, 0, 3, 1, {}, kNoClip);
  EXPECT_EQ(RowsOf(enlarged), (Rows{{a, b, b}}));  // centres at 1/3, 1 and 5/3 of 2
}

TEST(MakeDrawable, FailsWithoutSomethingToDraw) {
  EXPECT_FALSE(MakeDrawable(DecodedPicture{}));
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
