#include "convert/conversion_run.h"

#include <algorithm>
#include <limits>
#include <new>
#include <optional>
#include <stdexcept>

#include "base/memory.h"
#include "convert/cell_document.h"
#include "convert/rtf_document.h"
#include "convert/text_forms.h"

namespace kolvane {
namespace {

constexpr std::uint64_t kSaturated = std::numeric_limits<std::uint64_t>::max();

std::uint64_t AddSaturated(std::uint64_t a, std::uint64_t b) {
  return a > kSaturated - b ? kSaturated : a + b;
}

std::uint64_t MultiplySaturated(std::uint64_t a, std::uint64_t b) {
  return a != 0 && b > kSaturated / a ? kSaturated : a * b;
}

// (index - 1) * extent as a drawing position, or nothing where the product leaves the
// int range: such a cell lies beyond every bitmap (a side is at most 32627 pixels), so
// not drawing it changes no pixel, where a wrapped product would draw it elsewhere.
std::optional<int> CellPosition(int index, int extent) {
  const long long position = (static_cast<long long>(index) - 1) * extent;
  if (position < std::numeric_limits<int>::min() || position > std::numeric_limits<int>::max()) {
    return std::nullopt;
  }
  return static_cast<int>(position);
}

RunResult Fail(DocumentState& state, RunSinks& sinks) {
  state.Reset();
  sinks.WriteDocument(state.document_text);
  return RunResult::kOutOfMemory;
}

}  // namespace

std::uint64_t RunMemoryBound(int width, int height, std::string_view text, bool whole_document,
                             std::uint64_t shown_bytes_per_cell) {
  const auto rows = static_cast<std::int64_t>(std::max(height, 0));
  const std::int64_t columns = std::max(width, 0);
  const std::uint64_t cells =
      MultiplySaturated(static_cast<std::uint64_t>(rows), static_cast<std::uint64_t>(columns) + 1);
  const std::uint64_t colours = MultiplySaturated(
      cells, AddSaturated(sizeof(Colour), shown_bytes_per_cell));
  return whole_document ? AddSaturated(colours, RtfDocumentSizeBound(rows, columns, text))
                        : colours;
}

RunResult RunConversion(std::string_view text, const Canvas& source, Canvas* target,
                        DocumentState& state, RunSinks& sinks, const RunOptions& options) {
  // The text is the edit box's, read once: nothing can change it while a run holds
  // the user-interface thread, so every use would read these same bytes.
  state.Reset();

  // A run that cannot end with its document in memory would hold the user interface
  // for minutes and then fail; it is refused before it starts. Cell numbers name the
  // colour-table entries as 32-bit counts, so the cells must also stay countable (the
  // canvas's size limit keeps them far below that).
  const int height = source.Height();
  const int width = source.Width();
  const std::int64_t cells =
      static_cast<std::int64_t>(std::max(height, 0)) * (std::max(width, 0) + 1LL);
  const std::uint64_t limit =
      options.memory_limit != 0 ? options.memory_limit : AvailableMemoryBytes();
  if (cells >= std::numeric_limits<std::int32_t>::max() ||
      (limit != 0 && RunMemoryBound(width, height, text, options.assemble_document,
                                    options.shown_bytes_per_cell) > limit)) {
    return Fail(state, sinks);
  }

  try {
    StartDocument(state.cells, text, width);
    state.cells.colours.reserve(static_cast<std::size_t>(cells));
    AdviseHugePages(state.cells.colours.data(), state.cells.colours.capacity() * sizeof(Colour));
    sinks.SetProgressMaximum(height);
    for (int i = 1; i <= height; ++i) {
      sinks.SetProgress(i);
      const std::optional<int> y =
          target ? CellPosition(i, target->MeasureTextHeight(text)) : std::nullopt;
      int j = 1;
      for (; j <= width; ++j) {
        // The cell is coloured from (j, i), one step right of and below its own place.
        const Colour colour = source.ReadPixel(j, i);
        if (target) {
          const std::optional<int> x = CellPosition(j, target->MeasureTextWidth(text));
          target->SetTextColour(colour);
          if (x && y) target->WriteTextAt(*x, *y, text);
        }
        AppendCell(state.cells, colour);
      }
      // The row end reads at W + 1 (at 1 for an empty row) and draws nothing.
      AppendCell(state.cells, source.ReadPixel(j, i));
      sinks.RowDone();
    }
    if (!options.assemble_document) return RunResult::kDone;
    state.document_text = RtfDocumentText(state.cells);
  } catch (const std::bad_alloc&) {
    return Fail(state, sinks);
  } catch (const std::length_error&) {
    return Fail(state, sinks);
  }
  sinks.WriteDocument(state.document_text);
  return RunResult::kDone;
}

}  // namespace kolvane
