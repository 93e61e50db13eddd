#include "raster/stretch.h"

#include <climits>
#include <vector>

#include <gtest/gtest.h>

namespace kolvane {
namespace {

constexpr Colour kBackground = 0x00123456;

Bitmap FromRows(const std::vector<std::vector<Colour>>& rows) {
  Bitmap b = *Bitmap::Create(static_cast<int>(rows[0].size()), static_cast<int>(rows.size()));
  for (int y = 0; y < b.Height(); ++y) {
    for (int x = 0; x < b.Width(); ++x) b.SetPixel(x, y, rows[y][x]);
  }
  return b;
}

std::vector<std::vector<Colour>> Rows(const Bitmap& b) {
  std::vector<std::vector<Colour>> rows(b.Height());
  for (int y = 0; y < b.Height(); ++y) rows[y].assign(b.Row(y), b.Row(y) + b.Width());
  return rows;
}

Bitmap Target(int width, int height) { return *Bitmap::Create(width, height, kBackground); }

const Rect kNoClip{INT_MIN / 2, INT_MIN / 2, INT_MAX, INT_MAX};

TEST(StretchCopy, HalftoneOfTwoByTwoIntoOneIsTheMean) {
  const Bitmap source = FromRows({{MakeColour(0, 10, 255), MakeColour(100, 20, 255)},
                                  {MakeColour(50, 30, 0), MakeColour(51, 41, 0)}});
  Bitmap target = Target(1, 1);
  StretchCopy(target, {0, 0, 1, 1}, source, StretchMode::kHalftone, kNoClip);
  // (0+100+50+51)/4 = 50.25, (10+20+30+41)/4 = 25.25, (255+255)/4 = 127.5 rounds up.
  EXPECT_EQ(target.Pixel(0, 0), MakeColour(50, 25, 128));

  // A mean of .5 in every channel rounds up in every channel.
  const Bitmap halves = FromRows({{MakeColour(1, 3, 5), MakeColour(2, 4, 6)}});
  StretchCopy(target, {0, 0, 1, 1}, halves, StretchMode::kHalftone, kNoClip);
  EXPECT_EQ(target.Pixel(0, 0), MakeColour(2, 4, 6));
}

TEST(StretchCopy, HalftoneWeighsPartlyCoveredPixelsByTheirShare) {
  // Three source pixels into two: each destination pixel covers one and a half.
  const Bitmap source = FromRows({{MakeColour(0, 0, 0), MakeColour(90, 90, 90),
                                   MakeColour(180, 180, 180)}});
  Bitmap target = Target(2, 1);
  StretchCopy(target, {0, 0, 2, 1}, source, StretchMode::kHalftone, kNoClip);
  EXPECT_EQ(target.Pixel(0, 0), MakeColour(30, 30, 30));     // (0 + 90/2) / 1.5
  EXPECT_EQ(target.Pixel(1, 0), MakeColour(150, 150, 150));  // (90/2 + 180) / 1.5
}

TEST(StretchCopy, HalftoneEnlargingAUniformPictureKeepsItsColour) {
  const Bitmap source = *Bitmap::Create(3, 2, MakeColour(7, 200, 33));
  Bitmap target = Target(7, 5);
  StretchCopy(target, {0, 0, 7, 5}, source, StretchMode::kHalftone, kNoClip);
  for (const auto& row : Rows(target)) {
    for (Colour c : row) EXPECT_EQ(c, MakeColour(7, 200, 33));
  }
}

TEST(StretchCopy, NearestPixelKeepsSourcePixels) {
  const Bitmap source = FromRows({{1, 2}, {3, 4}});
  Bitmap big = Target(4, 4);
  StretchCopy(big, {0, 0, 4, 4}, source, StretchMode::kColourOnColour, kNoClip);
  EXPECT_EQ(Rows(big), (std::vector<std::vector<Colour>>{
                           {1, 1, 2, 2}, {1, 1, 2, 2}, {3, 3, 4, 4}, {3, 3, 4, 4}}));

  const Bitmap wide = FromRows({{1, 2, 3, 4, 5, 6}});
  Bitmap small = Target(3, 1);
  StretchCopy(small, {0, 0, 3, 1}, wide, StretchMode::kColourOnColour, kNoClip);
  EXPECT_EQ(Rows(small), (std::vector<std::vector<Colour>>{{2, 4, 6}}));
}

TEST(StretchCopy, NaturalSizeCopiesExactlyInBothModes) {
  const Bitmap source = FromRows({{MakeColour(1, 2, 3), MakeColour(250, 0, 9)},
                                  {MakeColour(0, 0, 0), MakeColour(255, 255, 255)}});
  for (StretchMode mode : {StretchMode::kHalftone, StretchMode::kColourOnColour}) {
    Bitmap target = Target(4, 3);
    StretchCopy(target, {1, 1, 2, 2}, source, mode, kNoClip);
    EXPECT_EQ(Rows(target),
              (std::vector<std::vector<Colour>>{
                  {kBackground, kBackground, kBackground, kBackground},
                  {kBackground, MakeColour(1, 2, 3), MakeColour(250, 0, 9), kBackground},
                  {kBackground, 0, MakeColour(255, 255, 255), kBackground}}));
  }
}

TEST(StretchCopy, WritesOnlyInsideClipAndTarget) {
  const Bitmap source = FromRows({{1, 2}, {3, 4}});
  for (StretchMode mode : {StretchMode::kHalftone, StretchMode::kColourOnColour}) {
    // The 4 x 4 stretch starts above and left of the target; only its lower-right
    // quarter (source pixel 4) can land, and the clip keeps one column of that.
    Bitmap target = Target(3, 3);
    StretchCopy(target, {-2, -2, 4, 4}, source, mode, {1, 0, 1, 3});
    EXPECT_EQ(Rows(target), (std::vector<std::vector<Colour>>{
                                {kBackground, 4, kBackground},
                                {kBackground, 4, kBackground},
                                {kBackground, kBackground, kBackground}}));

    Bitmap untouched = Target(2, 2);
    StretchCopy(untouched, {0, 0, 2, 2}, source, mode, {5, 5, 3, 3});
    StretchCopy(untouched, {0, 0, 0, 2}, source, mode, kNoClip);
    StretchCopy(untouched, {0, 0, 2, -1}, source, mode, kNoClip);
    EXPECT_EQ(untouched.Pixels(), Target(2, 2).Pixels());
  }
}

TEST(StretchCopy, HugeCoordinatesDoNotOverflow) {
  const Bitmap source = FromRows({{1, 2}, {3, 4}});
  for (StretchMode mode : {StretchMode::kHalftone, StretchMode::kColourOnColour}) {
    Bitmap target = Target(4, 4);
    StretchCopy(target, {INT_MAX - 1, INT_MAX - 1, INT_MAX, INT_MAX}, source, mode, kNoClip);
    EXPECT_EQ(target.Pixels(), Target(4, 4).Pixels());
    // A destination two billion pixels wide: the visible columns all lie in the
    // first half, source column 0.
    StretchCopy(target, {0, 0, INT_MAX, 2}, source, mode, {0, 0, 4, 1});
    EXPECT_EQ(Rows(target)[0], (std::vector<Colour>{1, 1, 1, 1}));
    StretchCopy(target, {INT_MIN, 0, INT_MAX, 2}, source, mode, kNoClip);
  }
}

}  // namespace
}  // namespace kolvane
