#pragma once
// The RTF document of a conversion, made from its cells on demand: written piece by
// piece to a sink, measured, or put together whole when a caller needs one text.
//
//   header, font table            {\rtf1...{\fonttbl{\f0 ... 宋体;}}
//   colour table                  {\colortbl ; then one entry per cell: \redR\greenG\blueB;
//   generator line, body format   ...\pard\cf1\lang2052\f0\fs20
//   body                          per cell: its colour switch and its text part
//   tail                          \cf0\par}
//
// Cell n (from 0) has colour-table entry n + 1. The first cell has no switch of its
// own, the "\cf1" of the body format colours it; every later cell switches with
// "\cf" and n + 1. A picture cell's text part is its text as "\'hh" escapes, or, when
// the text holds CR LF, each of its lines escaped and followed by "\par"; a row-end
// cell's is "\par".
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "base/byte_sink.h"
#include "base/types.h"
#include "convert/cell_document.h"
#include "richtext/rtf_frame.h"

namespace kolvane {

// The longest colour-table entry, "\red255\green255\blue255;", and the room
// WriteColourEntry needs for it (three bytes of scratch after the entry).
inline constexpr std::size_t kMaxColourEntrySize = 25;
inline constexpr std::size_t kColourEntryRoom = kMaxColourEntrySize + 3;
// The longest colour switch, "\cf" and the longest counter text.
inline constexpr std::size_t kMaxColourSwitchSize = 3 + 11;

// What the document adds to the fixed pieces of richtext/rtf_frame.h: the body's
// character format, whose "\cf1" colours the first cell, and the tail.
inline constexpr std::string_view kBodyFormat = "\\cf1\\lang2052\\f0\\fs20";
inline constexpr std::string_view kDocumentTail = "\\cf0\\par}";

// The nine pieces of a document in order, byte for byte: font table, colour table
// around its entries, generator line, body, tail. The views point into the arguments
// and the constants.
constexpr std::array<std::string_view, 9> DocumentPieces(std::string_view colour_table_entries,
                                                         std::string_view body) {
  return {kRtfHead,     kRtfTableEnd,  kRtfColourTableStart, colour_table_entries,
          kRtfTableEnd, kRtfBodyStart, kBodyFormat,          body,
          kDocumentTail};
}
// Where the entries and the body go among the pieces.
inline constexpr std::size_t kColourEntriesPiece = 3;
inline constexpr std::size_t kBodyPiece = 7;
static_assert(DocumentPieces("entries", "body")[kColourEntriesPiece] == "entries" &&
              DocumentPieces("entries", "body")[kBodyPiece] == "body");

// Bytes the frame adds to colour-table entries and body.
inline constexpr std::size_t kDocumentFrameSize = [] {
  std::size_t size = 0;
  for (const std::string_view piece : DocumentPieces({}, {})) size += piece.size();
  return size;
}();

// Writes the colour-table entry of the low 24 bits of colour to out, which must have
// room for kColourEntryRoom bytes; returns the end of what it wrote.
char* WriteColourEntry(char* out, Colour colour);

// The text part of a cell of text: escapes, or escaped lines each followed by "\par".
Text CellTextPart(std::string_view text);
// Its size in bytes; saturates at UINT64_MAX.
std::uint64_t CellTextPartSize(std::string_view text);

// Writes the whole document of cells to sink; false when the sink failed.
bool WriteRtfDocument(const CellDocument& cells, ByteSink& sink);

// The document's size in bytes.
std::uint64_t RtfDocumentSize(const CellDocument& cells);

// An upper bound of the size of the document of rows of columns cells of text (each
// row with its row-end cell); saturates at UINT64_MAX.
std::uint64_t RtfDocumentSizeBound(std::int64_t rows, std::int64_t columns,
                                   std::string_view text);

// The whole document as one text, made in one allocation of its exact size.
Text RtfDocumentText(const CellDocument& cells);

}  // namespace kolvane
