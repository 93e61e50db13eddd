#include "convert/cell_rich_text.h"

#include <string>
#include <vector>

#include "convert/rtf_document.h"
#include "richtext/rtf_frame.h"
#include "richtext/rtf_reader.h"

namespace kolvane {
namespace {

constexpr std::int16_t kDocumentFontSize = 20;  // the body's \fs20

// A cell's text part as it reads: pieces of text, each but the last ending its
// paragraph. Read by the RTF reader itself, in the document's code page and face, so
// that bytes become exactly the characters they become in the document.
struct Segment {
  std::u16string text;
  bool ends_paragraph = false;
};

std::vector<Segment> ReadPart(const Text& part) {
  std::string document(kRtfHead);
  document += kRtfTableEnd;
  document += "\\f0 ";
  document += part;
  document += "}";
  const RichText read = ReadRtf(document);
  std::vector<Segment> segments;
  for (std::size_t p = 0; p < read.paragraphs.size(); ++p) {
    segments.push_back({read.paragraphs[p].text, p + 1 < read.paragraphs.size()});
  }
  return segments;
}

}  // namespace

RichText RichTextOfCells(const CellDocument& cells) {
  RichText document;
  StartParagraph(document);
  const std::vector<Segment> picture_part = ReadPart(CellTextPart(cells.text));
  const std::vector<Segment> row_end_part = ReadPart("\\par");
  CharFormat format;
  format.font_size = kDocumentFontSize;
  bool face_named = false;
  const std::int64_t row_end = cells.columns;
  std::int64_t column = 0;
  for (const Colour colour : cells.colours) {
    const bool is_row_end = column == row_end;
    column = is_row_end ? 0 : column + 1;
    format.colour = colour & 0x00FFFFFF;
    for (const Segment& segment : is_row_end ? row_end_part : picture_part) {
      if (!segment.text.empty()) {
        // The reader lists the face once text first uses it.
        if (!face_named) format.font = FontIndex(document, kDefaultFaceName);
        face_named = true;
        AppendText(document, segment.text, format);
      }
      if (segment.ends_paragraph) StartParagraph(document);
    }
  }
  // The tail's paragraph mark.
  StartParagraph(document);
  return document;
}

}  // namespace kolvane
