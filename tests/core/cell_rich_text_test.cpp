#include "convert/cell_rich_text.h"

#include <gtest/gtest.h>

#include <string>

#include "convert/rtf_document.h"
#include "richtext/rtf_reader.h"

namespace kolvane {
namespace {

CellDocument Cells(std::string_view text, int columns, int rows) {
  CellDocument cells;
  StartDocument(cells, text, columns);
  for (int n = 0; n < rows * (columns + 1); ++n) {
    // Colours with a top byte too, as unreadable pixels give, and runs of equal ones.
    AppendCell(cells, n % 7 == 3 ? 0xFFFFFFFF : static_cast<Colour>((n / 2) * 0x00104A3Bu));
  }
  return cells;
}

TEST(RichTextOfCells, IsWhatReadingTheDocumentGives) {
  // The default text, ASCII, line breaks (also at either end), lone lead bytes, a
  // lead byte before CR LF, bytes that are no characters, NULs, and no text at all.
  const std::string texts[] = {
      "\xB9\xE2",   "AB",        "A\r\nB",          "\r\nA\r\n",      "\xB9",
      "\xB9\r\n",   "\x80\xFF",  std::string("\0A", 2), "",            "\r\n\r\n",
      std::string(40, 'x') + "\xB9\xE2",
  };
  for (const std::string& text : texts) {
    for (const auto& [columns, rows] : {std::pair{3, 4}, std::pair{0, 2}, std::pair{1, 1}, std::pair{5, 0}}) {
      SCOPED_TRACE(std::to_string(columns) + " x " + std::to_string(rows) + " of " +
                   std::to_string(text.size()) + " bytes");
      const CellDocument cells = Cells(text, columns, rows);
      EXPECT_EQ(RichTextOfCells(cells), ReadRtf(RtfDocumentText(cells)));
    }
  }
}

}  // namespace
}  // namespace kolvane
