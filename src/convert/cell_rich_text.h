#pragma once
// The rich text a conversion's document shows, made straight from its cells: what the
// rich edit box gets without writing the RTF out and reading it back.
#include "convert/cell_document.h"
#include "richtext/rich_text.h"

namespace kolvane {

// The same rich text as ReadRtf of the cells' RTF document: a paragraph per row (and
// per line of a text with line breaks), each cell's text in its colour, in the
// document's face at 10 points, and the empty paragraph after the last mark.
RichText RichTextOfCells(const CellDocument& cells);

}  // namespace kolvane
