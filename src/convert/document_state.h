#pragma once
// The document a conversion run builds: its colour table, its body, the cell counter
// and the finished RTF document, one program-wide instance of them, and the fixed
// frame that wraps colour table and body into the document.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "base/types.h"
#include "richtext/rtf_frame.h"

namespace kolvane {

// What the document adds to the fixed pieces of richtext/rtf_frame.h: the body's
// character format, whose "\cf1" colours the first cell (it has no switch of its own),
// and the tail.
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

// Bytes the frame adds to colour-table entries and body.
inline constexpr std::size_t kDocumentFrameSize = [] {
  std::size_t size = 0;
  for (const std::string_view piece : DocumentPieces({}, {})) size += piece.size();
  return size;
}();

struct DocumentState {
  Text document_text;     // the finished document of the last run
  Text body_text;         // one fragment per cell of the current run
  Text color_table_text;  // one colour-table entry per cell of the current run
  std::int32_t cell_counter = 0;  // cells so far; names the next cell's entry

  // Start of a run: texts empty (their memory given back), counter 0.
  void Reset();
  // Empties the three texts and gives their memory back; the counter stays.
  void Release();
};

// The document state of the program, from start-up to exit.
DocumentState& GlobalDocument();

// The exit routine: releases the texts of the program's document state.
void ReleaseDocumentTexts();

// The pieces of the document around state's colour-table entries and body.
std::array<std::string_view, 9> DocumentPieces(const DocumentState& state);

// The pieces of DocumentPieces joined into one text.
Text BuildDocumentText(const DocumentState& state);

// Sets document_text to BuildDocumentText(state), building it inside body_text's
// memory where that has room; body_text and color_table_text are left empty.
void FinishDocument(DocumentState& state);

}  // namespace kolvane
