#pragma once
// Text art as a web page, as terminal text in 24-bit colour, and as plain text, from
// a document's cells. These forms show the text as typed, in UTF-8 (any character
// works, where the RTF document holds code page 936); each row's end cell ends a
// line and is not shown.
#include <string>
#include <string_view>

#include "base/byte_sink.h"
#include "convert/cell_document.h"

namespace kolvane {

// The text as one line: each line break (CR LF, CR or LF) becomes a space.
std::string OneLineText(std::string_view utf8);

// A standalone UTF-8 HTML page: the font set once, one <div> per row, one span of
// colour alone per run of cells of equal colour.
bool WriteHtmlArt(const CellDocument& cells, std::string_view utf8_text, ByteSink& sink);

// Terminal text: ESC[38;2;R;G;Bm before a cell whose colour differs from the one
// before it in its row, the reset ESC[0m and a newline after every row.
bool WriteAnsiArt(const CellDocument& cells, std::string_view utf8_text, ByteSink& sink);

// The text of every cell, a row per line.
bool WritePlainArt(const CellDocument& cells, std::string_view utf8_text, ByteSink& sink);

}  // namespace kolvane
