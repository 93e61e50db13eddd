#include "convert/art_cells.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "layout/program_canvases.h"
#include "picture/picture_dimensions.h"
#include "picture/png/png_decoder.h"
#include "picture_fixtures.h"
#include "raster/png_writer.h"

namespace kolvane {
namespace {

constexpr Colour kWhite = 0x00FFFFFF;

TEST(ChooseArtSize, FollowsTheGivenSidesAndTheAspect) {
  struct Case {
    std::string name;
    PictureSize picture;
    std::optional<int> columns;
    std::optional<int> rows;
    ArtSize fit;
    ArtSize expected;
  };
  const std::vector<Case> cases = {
      {"both given", {500, 600}, 7, 3, {100, 100}, {7, 3}},
      {"width keeps the aspect", {4000, 3000}, 120, {}, {}, {120, 90}},
      {"height keeps the aspect", {4000, 3000}, {}, 90, {}, {120, 90}},
      {"rounded to the nearest", {3, 2}, 2, {}, {}, {2, 1}},     // 1.33
      {"halves round up", {4, 3}, 2, {}, {}, {2, 2}},            // 1.5
      {"at least one", {1000, 1}, 10, {}, {}, {10, 1}},          // 0.01
      {"never past the largest side", {1, 1000}, 100, {}, {}, {100, 32627}},
      {"fit to 100 columns", {500, 600}, {}, {}, {100, 32627}, {100, 120}},
      {"fit to a terminal's rows", {500, 600}, {}, {}, {80, 40}, {33, 40}},
      {"fit never enlarges", {30, 20}, {}, {}, {100, 32627}, {30, 20}},
      {"fit of a sliver", {10000, 1}, {}, {}, {100, 32627}, {100, 1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ChooseArtSize(c.picture, c.columns, c.rows, c.fit.columns, c.fit.rows), c.expected);
  }
}

// A width x height picture of distinct colours.
Colour PatternAt(int x, int y) {
  return MakeColour(static_cast<std::uint8_t>(x * 50 + y * 7), static_cast<std::uint8_t>(200 - y * 60),
                    static_cast<std::uint8_t>((x * y * 31) & 255));
}

Bitmap Pattern(int width, int height) {
  Bitmap b = *Bitmap::Create(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) b.SetPixel(x, y, PatternAt(x, y));
  }
  return b;
}

// The exact area-weighted mean of one channel over the part of the picture that cell
// (c, r) of a columns x rows art covers.
double ExactMean(const Bitmap& picture, int columns, int rows, int c, int r, int channel) {
  const double x0 = static_cast<double>(c) * picture.Width() / columns;
  const double x1 = static_cast<double>(c + 1) * picture.Width() / columns;
  const double y0 = static_cast<double>(r) * picture.Height() / rows;
  const double y1 = static_cast<double>(r + 1) * picture.Height() / rows;
  double sum = 0;
  for (int y = 0; y < picture.Height(); ++y) {
    const double h = std::max(0.0, std::min(y1, y + 1.0) - std::max(y0, static_cast<double>(y)));
    for (int x = 0; x < picture.Width(); ++x) {
      const double w = std::max(0.0, std::min(x1, x + 1.0) - std::max(x0, static_cast<double>(x)));
      sum += w * h * ((picture.Pixel(x, y) >> (8 * channel)) & 0xFF);
    }
  }
  return sum / ((x1 - x0) * (y1 - y0));
}

// Every cell within 1 of the exact mean of what it covers; row ends white.
void ExpectBoxFilter(const Bitmap& picture, const CellDocument& cells, ArtSize size) {
  ASSERT_EQ(cells.columns, size.columns);
  ASSERT_EQ(cells.colours.size(), static_cast<std::size_t>(size.rows) * (size.columns + 1));
  for (int r = 0; r < size.rows; ++r) {
    for (int c = 0; c < size.columns; ++c) {
      const Colour cell = cells.colours[static_cast<std::size_t>(r) * (size.columns + 1) + c];
      for (int channel = 0; channel < 3; ++channel) {
        EXPECT_NEAR((cell >> (8 * channel)) & 0xFF,
                    ExactMean(picture, size.columns, size.rows, c, r, channel), 1.0)
            << "cell " << c << "," << r << " channel " << channel;
      }
    }
    EXPECT_EQ(cells.colours[static_cast<std::size_t>(r) * (size.columns + 1) + size.columns], kWhite);
  }
}

TEST(SampleCells, EachCellIsTheAreaWeightedMeanOfWhatItCovers) {
  // Cells that cover parts of pixels each way, shrinking and enlarging.
  const Bitmap picture = Pattern(5, 3);
  for (const ArtSize size : {ArtSize{2, 2}, ArtSize{3, 2}, ArtSize{5, 3}, ArtSize{7, 4},
                             ArtSize{1, 1}}) {
    SCOPED_TRACE(std::to_string(size.columns) + " x " + std::to_string(size.rows));
    CellDocument cells;
    SampleCells(picture, size, "\xB9\xE2", cells);
    ExpectBoxFilter(picture, cells, size);
    EXPECT_EQ(cells.text, "\xB9\xE2");
  }
}

TEST(SampleCells, BitmapAndPngFilesGiveTheirPixelsAveraged) {
  const Bitmap picture = Pattern(5, 3);
  const ByteBlock bmp = fixtures::Bmp24(5, 3, PatternAt);
  const ByteBlock png = EncodePng(picture, picture.Bounds());
  for (const ByteBlock& file : {bmp, png}) {
    auto decoded = DecodePictureOrPng(file);
    ASSERT_TRUE(decoded);
    const auto bitmap = BitmapOfPicture(std::move(*decoded));
    ASSERT_TRUE(bitmap);
    CellDocument cells;
    SampleCells(*bitmap, {2, 2}, "x", cells);
    ExpectBoxFilter(picture, cells, {2, 2});
  }
}

TEST(SampleCells, WideArtIsSampledInBandsAlike) {
  // More cells than one band holds: the bands join without a seam.
  const Bitmap picture = Pattern(9, 7);
  CellDocument cells;
  SampleCells(picture, {3000, 700}, "x", cells);
  ASSERT_EQ(cells.colours.size(), 700u * 3001u);
  // Each cell lies within one source pixel here: it is that pixel.
  for (int r : {0, 349, 350, 699}) {
    for (int c : {0, 1500, 2999}) {
      EXPECT_EQ(cells.colours[static_cast<std::size_t>(r) * 3001 + c], PatternAt(c * 9 / 3000, r * 7 / 700));
    }
  }
}

TEST(DrawCells, DrawsEachPictureCellAtItsPlace) {
  CellDocument cells;
  StartDocument(cells, "\xB9\xE2", 2);  // 光, one pixel in the text-art canvas's font
  for (const Colour c : {0x00000001u, 0x00000002u, 0x00FFFFFFu, 0x00000003u, 0x00000004u, 0x0u}) {
    AppendCell(cells, c);
  }
  auto canvas = MakeTextArtCanvas();
  DrawCells(cells, *canvas);
  const Bitmap& drawn = canvas->PersistentBitmap();
  EXPECT_EQ(drawn.Pixel(0, 0), 1u);
  EXPECT_EQ(drawn.Pixel(1, 0), 2u);
  EXPECT_EQ(drawn.Pixel(0, 1), 3u);
  EXPECT_EQ(drawn.Pixel(1, 1), 4u);
  EXPECT_EQ(drawn.Pixel(2, 0), kWhite) << "row-end cells draw nothing";
  EXPECT_EQ(drawn.Pixel(2, 1), kWhite);
}

}  // namespace
}  // namespace kolvane
