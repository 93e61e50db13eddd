#pragma once
// The cell appender: one colour-table entry and one body fragment per cell of a run.
#include <cstdint>
#include <string_view>

#include "convert/document_state.h"
#include "base/types.h"

namespace kolvane {

// The longest colour-table entry, "\red255\green255\blue255;".
inline constexpr std::size_t kMaxColourEntrySize = 25;
// The longest colour switch, "\cf" and the longest counter text.
inline constexpr std::size_t kMaxColourSwitchSize = 3 + 11;

// Bytes AppendCell writes for text after the colour switch; saturates at UINT64_MAX.
std::uint64_t CellTextPartSize(std::string_view text);

// Appends "\red"R"\green"G"\blue"B";" for colour (0x00BBGGRR, top byte ignored) to
// color_table_text and the cell's fragment to body_text: "\cf" and cell_counter (none
// while it is 0), then text as hexadecimal escapes, or, when text holds CR LF, each of
// its lines escaped and followed by "\par". A counter of 1 becomes 2 first; the caller
// adds 1 to cell_counter after every call.
void AppendCell(DocumentState& state, std::string_view text, Colour colour);

// Reserves memory for cells more cells of text or of CR LF, and for FinishDocument to
// build the document in place; a hint only, skipped when the memory cannot be had.
void ReserveCells(DocumentState& state, std::int64_t cells, std::string_view text);

}  // namespace kolvane
