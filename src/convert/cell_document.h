#pragma once
// The document of a conversion held compactly: the text of the cells and one colour
// per cell. Rows of `columns` picture cells each end with one row-end cell (the text
// CR LF), so every cell's text, and the colour-table entry and colour switch it gets
// in the RTF document, follow from its position. Four bytes a cell, where the RTF
// document takes about forty.
#include <cstdint>
#include <string_view>
#include <vector>

#include "base/types.h"

namespace kolvane {

struct CellDocument {
  Text text;                // each picture cell's text, code page 936
  std::int32_t columns = 0;  // picture cells per row
  std::vector<Colour> colours;  // every cell's colour in order, row-end cells included

  // Cells per row, the row-end cell included.
  std::int64_t CellsPerRow() const { return std::int64_t{columns} + 1; }
  // Rows begun so far (the last one may be incomplete while cells are appended).
  std::int64_t Rows() const {
    return (static_cast<std::int64_t>(colours.size()) + columns) / CellsPerRow();
  }
  bool IsRowEnd(std::size_t cell) const {
    return static_cast<std::int64_t>(cell % static_cast<std::size_t>(CellsPerRow())) == columns;
  }
};

// Empties the document (its memory given back) for a run of picture cells of text,
// columns to a row (a negative count counts as 0).
void StartDocument(CellDocument& document, std::string_view text, int columns);

// Appends the next cell, a picture cell or a row's end cell as its position says.
inline void AppendCell(CellDocument& document, Colour colour) {
  document.colours.push_back(colour);
}

}  // namespace kolvane
