#include "convert/cell_appender.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>

#include "convert/text_forms.h"
#include "base/memory.h"

namespace kolvane {
namespace {

constexpr std::string_view kRed = "\\red";
constexpr std::string_view kGreen = "\\green";
constexpr std::string_view kBlue = "\\blue";
constexpr std::string_view kColourSwitch = "\\cf";
constexpr std::string_view kParagraphMark = "\\par";

// Three components of at most three digits each.
static_assert(kMaxColourEntrySize == kRed.size() + kGreen.size() + kBlue.size() + 3 * 3 + 1);
static_assert(kMaxColourSwitchSize == kColourSwitch.size() + kMaxIntegerTextSize);
constexpr std::size_t kMaxEntrySize = kMaxColourEntrySize;
constexpr std::size_t kMaxSwitchSize = kMaxColourSwitchSize;
// Texts up to this many bytes are escaped on the stack together with the colour
// switch, so the usual cell costs one append to the body.
constexpr std::size_t kShortText = 16;

// The decimal texts of 0 to 255, four bytes each so that one fixed-size copy moves
// any of them.
struct ComponentText {
  char digits[4];
  std::uint8_t size;
};
const std::array<ComponentText, 256> kComponentTexts = [] {
  std::array<ComponentText, 256> texts{};
  for (std::int32_t v = 0; v < 256; ++v) {
    ComponentText& text = texts[static_cast<std::size_t>(v)];
    text.size = static_cast<std::uint8_t>(WriteIntegerText(text.digits, v) - text.digits);
  }
  return texts;
}();

// Writes the decimal text of a colour component; out must have room for four bytes.
char* PutComponent(char* out, std::uint8_t value) {
  const ComponentText& text = kComponentTexts[value];
  std::memcpy(out, text.digits, sizeof text.digits);
  return out + text.size;
}

char* Put(char* out, std::string_view literal) {
  std::memcpy(out, literal.data(), literal.size());
  return out + literal.size();
}

void AppendColourEntry(Text& out, Colour colour) {
  // Green and blue are defined as the real quotients (colour AND 0xFF00) / 256 and
  // (colour AND 0xFF0000) / 65536 written by RealText. Both quotients are exact whole
  // numbers from 0 to 255, and "%.13g" writes a whole number below 10^13 as its plain
  // decimal digits, so the integer text of the component byte is the same text without
  // a floating-point conversion per cell.
  // A four-byte component copy spills only into the room of what follows it.
  char entry[kMaxEntrySize];
  char* p = Put(entry, kRed);
  p = PutComponent(p, RedOf(colour));
  p = Put(p, kGreen);
  p = PutComponent(p, GreenOf(colour));
  p = Put(p, kBlue);
  p = PutComponent(p, BlueOf(colour));
  *p++ = ';';
  out.append(entry, p);
}

// The text part of a cell: the escaped text, or its lines each followed by "\par".
void AppendTextPart(Text& out, std::string_view text) {
  if (FindAtCharacterStart(text, kLineBreak) == std::string_view::npos) {
    AppendHexEscape(out, text);
    return;
  }
  ForEachPiece(text, kLineBreak, [&out](std::string_view line) {
    AppendHexEscape(out, line);
    out.append(kParagraphMark);
  });
}

std::uint64_t AddSaturated(std::uint64_t a, std::uint64_t b) {
  return a > UINT64_MAX - b ? UINT64_MAX : a + b;
}

std::uint64_t MultiplySaturated(std::uint64_t a, std::uint64_t b) {
  return a != 0 && b > UINT64_MAX / a ? UINT64_MAX : a * b;
}

bool MultiplyWithin(std::uint64_t a, std::uint64_t b, std::uint64_t limit,
                    std::uint64_t& product) {
  if (a != 0 && b > limit / a) return false;
  product = a * b;
  return true;
}

}  // namespace

std::uint64_t CellTextPartSize(std::string_view text) {
  if (FindAtCharacterStart(text, kLineBreak) == std::string_view::npos) {
    return MultiplySaturated(4, text.size());
  }
  std::uint64_t bytes = 0;
  ForEachPiece(text, kLineBreak, [&bytes](std::string_view line) {
    bytes = AddSaturated(bytes, AddSaturated(MultiplySaturated(4, line.size()),
                                             kParagraphMark.size()));
  });
  return bytes;
}

void AppendCell(DocumentState& state, std::string_view text, Colour colour) {
  if (state.cell_counter == 1) state.cell_counter = 2;
  AppendColourEntry(state.color_table_text, colour);

  // The first cell has no switch of its own: the generator line's "\cf1" colours it.
  // Its fragment is appended, which is the same as replacing the body that the run's
  // reset left empty, and loses nothing should the body hold anything.
  char fragment[kMaxSwitchSize + 4 * kShortText];
  char* p = fragment;
  if (state.cell_counter != 0) {
    p = Put(p, kColourSwitch);
    p = WriteIntegerText(p, state.cell_counter);
  }
  if (text.size() <= kShortText &&
      FindAtCharacterStart(text, kLineBreak) == std::string_view::npos) {
    p = WriteHexEscape(p, text);
    state.body_text.append(fragment, p);
    return;
  }
  state.body_text.append(fragment, p);
  AppendTextPart(state.body_text, text);
}

void ReserveCells(DocumentState& state, std::int64_t cells, std::string_view text) {
  if (cells <= 0) return;
  const std::uint64_t fragment_bound =
      kMaxSwitchSize + std::max<std::uint64_t>(CellTextPartSize(text), kParagraphMark.size());
  // Far beyond any memory; keeps the sums below from overflowing.
  constexpr std::uint64_t kLimit = std::numeric_limits<std::uint64_t>::max() / 8;
  std::uint64_t entries = 0;
  std::uint64_t fragments = 0;
  const auto count = static_cast<std::uint64_t>(cells);
  if (!MultiplyWithin(count, kMaxEntrySize, kLimit, entries) ||
      !MultiplyWithin(count, fragment_bound, kLimit, fragments)) {
    return;
  }
  const std::uint64_t table_size = state.color_table_text.size() + entries;
  // The body's buffer also takes the frame and the colour table when FinishDocument
  // builds the document in it.
  const std::uint64_t body_size =
      state.body_text.size() + fragments + kDocumentFrameSize + table_size;
  // Pages reserved but never written cost no memory, so bounds above the real sizes
  // are cheap. A bound beyond the machine's memory is not asked for: that document
  // could not be held anyway, and the failed request would only be an exception here.
  const std::uint64_t physical = PhysicalMemoryBytes();
  if (physical == 0 || body_size > physical) return;
  try {
    state.color_table_text.reserve(static_cast<std::size_t>(table_size));
    state.body_text.reserve(static_cast<std::size_t>(body_size));
    AdviseHugePages(state.color_table_text.data(), state.color_table_text.capacity());
    AdviseHugePages(state.body_text.data(), state.body_text.capacity());
  } catch (const std::bad_alloc&) {
  } catch (const std::length_error&) {
  }
}

}  // namespace kolvane
