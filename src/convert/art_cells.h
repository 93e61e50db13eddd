#pragma once
// Text art drawn from the picture itself at a size of the user's choosing: the size,
// the cells resampled from the picture, and their drawing on a text-art canvas.
#include <optional>
#include <string_view>

#include "canvas/canvas.h"
#include "convert/cell_document.h"
#include "picture/decoded_picture.h"
#include "raster/bitmap.h"

namespace kolvane {

// The most columns or rows text art may have (a control's size limit).
inline constexpr int kMaxArtSide = 32627;

struct ArtSize {
  int columns = 0;
  int rows = 0;
  bool operator==(const ArtSize&) const = default;
};

// The art's size for a picture: with both columns and rows, exactly them; with one,
// the other keeps the picture's aspect (rounded to the nearest, at least 1); with
// neither, the picture's own size shrunk to fit within fit_columns x fit_rows, keeping
// its aspect, never enlarged. Every side ends within 1 .. kMaxArtSide.
ArtSize ChooseArtSize(PictureSize picture, std::optional<int> columns, std::optional<int> rows,
                      int fit_columns, int fit_rows);

// Starts cells as a document of size.columns picture cells of text a row and fills
// it: each picture cell is the area-weighted average of the picture's pixels it
// covers (a box filter), each row-end cell white.
void SampleCells(const Bitmap& picture, ArtSize size, std::string_view text,
                 CellDocument& cells);

// Draws the picture cells of a document on target as a conversion run draws them:
// the text of cell (c, r) (from 0) in its colour at (c * text width, r * text height).
void DrawCells(const CellDocument& cells, Canvas& target);

}  // namespace kolvane
