#include "convert/art_cells.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "base/memory.h"
#include "raster/stretch.h"

namespace kolvane {
namespace {

constexpr Colour kRowEndColour = 0x00FFFFFF;
// Rows of cells resampled at a time: the band bitmap stays small however wide the art.
constexpr long long kBandPixels = 1 << 20;

int ClampSide(long long side) {
  return static_cast<int>(std::clamp<long long>(side, 1, kMaxArtSide));
}

// other * side / base, rounded to the nearest.
long long Proportional(long long side, long long other, long long base) {
  return (2 * side * other + base) / (2 * base);
}

}  // namespace

ArtSize ChooseArtSize(PictureSize picture, std::optional<int> columns, std::optional<int> rows,
                      int fit_columns, int fit_rows) {
  const long long width = std::max(picture.width, 1);
  const long long height = std::max(picture.height, 1);
  if (columns && rows) return {ClampSide(*columns), ClampSide(*rows)};
  if (columns) return {ClampSide(*columns), ClampSide(Proportional(*columns, height, width))};
  if (rows) return {ClampSide(Proportional(*rows, width, height)), ClampSide(*rows)};
  const long long most_columns = std::min<long long>(width, std::max(fit_columns, 1));
  const long long most_rows = std::min<long long>(height, std::max(fit_rows, 1));
  // The side that limits the fit keeps its bound; the other follows the aspect.
  if (most_columns * height <= most_rows * width) {
    return {ClampSide(most_columns),
            ClampSide(std::min(most_rows, Proportional(most_columns, height, width)))};
  }
  return {ClampSide(std::min(most_columns, Proportional(most_rows, width, height))),
          ClampSide(most_rows)};
}

void SampleCells(const Bitmap& picture, ArtSize size, std::string_view text,
                 CellDocument& cells) {
  StartDocument(cells, text, size.columns);
  const std::size_t count = static_cast<std::size_t>(size.rows) * (size.columns + 1);
  cells.colours.reserve(count);
  AdviseHugePages(cells.colours.data(), count * sizeof(Colour));
  if (size.columns == picture.Width() && size.rows == picture.Height()) {
    // A cell a pixel: the picture's rows as they stand.
    for (int r = 0; r < size.rows; ++r) {
      cells.colours.insert(cells.colours.end(), picture.Row(r), picture.Row(r) + size.columns);
      cells.colours.push_back(kRowEndColour);
    }
    return;
  }
  const int band_rows = static_cast<int>(std::clamp<long long>(kBandPixels / size.columns, 1,
                                                               size.rows));
  auto band = Bitmap::Create(size.columns, band_rows);
  if (!band) return;
  const Rect whole{0, 0, size.columns, size.rows};
  for (int top = 0; top < size.rows; top += band_rows) {
    // The band shows rows top .. top + band_rows of the picture stretched to the
    // art's size: the area average of each cell, exact to the rounding of its mean.
    StretchCopy(*band, {0, -top, whole.width, whole.height}, picture, StretchMode::kHalftone,
                band->Bounds());
    const int rows = std::min(band_rows, size.rows - top);
    for (int r = 0; r < rows; ++r) {
      const Colour* row = band->Row(r);
      cells.colours.insert(cells.colours.end(), row, row + size.columns);
      cells.colours.push_back(kRowEndColour);
    }
  }
}

void DrawCells(const CellDocument& cells, Canvas& target) {
  const long long cell_width = target.MeasureTextWidth(cells.text);
  const long long cell_height = target.MeasureTextHeight(cells.text);
  const long long per_row = cells.CellsPerRow();
  for (std::size_t n = 0; n < cells.colours.size(); ++n) {
    const long long column = static_cast<long long>(n) % per_row;
    if (column == cells.columns) continue;
    const long long x = column * cell_width;
    const long long y = static_cast<long long>(n) / per_row * cell_height;
    // A cell beyond the int range lies beyond every bitmap.
    if (x > std::numeric_limits<int>::max() || y > std::numeric_limits<int>::max()) continue;
    target.SetTextColour(cells.colours[n]);
    target.WriteTextAt(static_cast<int>(x), static_cast<int>(y), cells.text);
  }
}

}  // namespace kolvane
