#pragma once
// The document a conversion run builds: its colour table, its body, the cell counter
// and the finished RTF document, one program-wide instance of them, and the fixed
// frame that wraps colour table and body into the document.
#include <array>
#include <cstdint>
#include <string_view>

#include "base/types.h"

namespace kolvane {

// The pieces of the document around the colour-table entries and the body, byte for
// byte. The lone ";" after "\colortbl" is entry 0, so the cells' entries start at 1,
// and the "\cf1" of the generator line colours the first cell, which has no switch.
inline constexpr std::string_view kDocumentHeader =
    "{\\rtf1\\ansi\\ansicpg936\\deff0\\deflang1033\\deflangfe2052"
    "{\\fonttbl{\\f0\\fmodern\\fprq6\\fcharset134 \\'cb\\'ce\\'cc\\'e5;}}\r\n";
inline constexpr std::string_view kColourTableOpening = "{\\colortbl ;";
inline constexpr std::string_view kGeneratorLine =
    "}\r\n{\\*\\generator Msftedit 5.41.15.1507;}\\viewkind4\\uc1\\pard\\cf1\\lang2052\\f0\\fs20";
inline constexpr std::string_view kDocumentTail = "\\cf0\\par}";

// Bytes the frame adds to colour-table entries and body.
inline constexpr std::size_t kDocumentFrameSize = kDocumentHeader.size() +
                                                  kColourTableOpening.size() +
                                                  kGeneratorLine.size() + kDocumentTail.size();

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

// The six pieces of the document in order: header, colour-table opening, colour-table
// entries, generator line, body, tail. The views point into state and the constants.
std::array<std::string_view, 6> DocumentPieces(const DocumentState& state);

// The pieces of DocumentPieces joined into one text.
Text BuildDocumentText(const DocumentState& state);

// Sets document_text to BuildDocumentText(state), building it inside body_text's
// memory where that has room; body_text and color_table_text are left empty.
void FinishDocument(DocumentState& state);

}  // namespace kolvane
