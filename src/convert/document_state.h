#pragma once
// The document of the program's conversion runs: the cells of the last run and, for
// the rich edit box, its RTF text; one program-wide instance of them.
#include "base/types.h"
#include "convert/cell_document.h"

namespace kolvane {

struct DocumentState {
  CellDocument cells;  // the cells of the last run, from which its document is made
  Text document_text;  // the finished document of the last run

  // Start of a run: the cells and the text empty, their memory given back.
  void Reset();
  // The same, at exit.
  void Release() { Reset(); }
};

// The document state of the program, from start-up to exit.
DocumentState& GlobalDocument();

// The exit routine: releases the program's document state.
void ReleaseDocumentTexts();

}  // namespace kolvane
