#pragma once
// The conversion run behind "Start", without windows: the caller hands in the text of
// the edit box, the picture canvas, the text-art canvas, the document state and the
// places the run reports to.
#include <cstdint>
#include <string_view>

#include "canvas/canvas.h"
#include "convert/document_state.h"
#include "base/types.h"

namespace kolvane {

// What a run writes besides the canvases and the document state.
class RunSinks {
 public:
  virtual ~RunSinks() = default;
  // The progress bar's maximum: the picture canvas's height, set before any row.
  virtual void SetProgressMaximum(int maximum) = 0;
  // The progress bar's position: the row number, at the start of each row.
  virtual void SetProgress(int row) = 0;
  // After each row: a view may repaint what the row drew, before the run goes on.
  virtual void RowDone() {}
  // The finished document for the rich edit box; empty after a failed run.
  virtual void WriteDocument(const Text& document) = 0;
};

enum class RunResult {
  kDone,
  // The document could not be held in memory: the state is reset (document empty,
  // counter 0) and the empty document was written; the caller tells the user.
  kOutOfMemory,
};

struct RunOptions {
  // Bytes the run may hold for its document; 0: the memory the system has available.
  std::uint64_t memory_limit = 0;
  // Bytes a caller that shows the document holds for it besides, per cell: counted
  // with the run's own memory before it starts.
  std::uint64_t shown_bytes_per_cell = 0;
  // false: the run ends with its cells in the state and document_text empty, for a
  // caller that writes the document from the cells; WriteDocument is then not called.
  bool assemble_document = true;
};

// At most the bytes a run over a width x height picture with text holds at once for
// its document: the cells' colours, the whole RTF text when it is put together, and
// what a caller holds per cell to show it; saturates at UINT64_MAX.
std::uint64_t RunMemoryBound(int width, int height, std::string_view text, bool whole_document,
                             std::uint64_t shown_bytes_per_cell = 0);

// Resets state, then for each row i of source and column j reads the colour source
// shows at (j, i), draws text in it on target (when there is one) at
// ((j - 1) * text width, (i - 1) * text height) and appends that cell; closes each
// row with a row-end cell coloured from (W + 1, i); then makes state.document_text
// from the cells and writes it. target is not cleared. A run whose document would
// exceed the memory limit is refused before it draws anything.
RunResult RunConversion(std::string_view text, const Canvas& source, Canvas* target,
                        DocumentState& state, RunSinks& sinks, const RunOptions& options = {});

}  // namespace kolvane
