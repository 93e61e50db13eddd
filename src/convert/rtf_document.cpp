#include "convert/rtf_document.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "base/memory.h"
#include "convert/text_forms.h"
#include "richtext/rtf_frame.h"

namespace kolvane {
namespace {

constexpr std::string_view kRed = "\\red";
constexpr std::string_view kGreen = "\\green";
constexpr std::string_view kBlue = "\\blue";
constexpr std::string_view kColourSwitch = "\\cf";
constexpr std::string_view kParagraphMark = "\\par";
// The entry without its digits: three words and the ";".
constexpr std::size_t kEntryFrameSize = kRed.size() + kGreen.size() + kBlue.size() + 1;
static_assert(kMaxColourEntrySize == kEntryFrameSize + 3 * 3);
static_assert(kMaxColourSwitchSize == kColourSwitch.size() + kMaxIntegerTextSize);

// Text parts up to this size go through the output buffer with their switch; longer
// ones (a long typed text) are appended on their own.
constexpr std::size_t kBufferedPart = 4096;

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

std::uint64_t AddSaturated(std::uint64_t a, std::uint64_t b) {
  return a > UINT64_MAX - b ? UINT64_MAX : a + b;
}

std::uint64_t MultiplySaturated(std::uint64_t a, std::uint64_t b) {
  return a != 0 && b > UINT64_MAX / a ? UINT64_MAX : a * b;
}

// The decimal text of a number that goes up by one at a time, kept as text so that
// a step costs a carry or two instead of a conversion.
class DecimalCounter {
 public:
  explicit DecimalCounter(std::uint64_t start) {
    begin_ = kSize;
    do {
      digits_[--begin_] = static_cast<char>('0' + start % 10);
      start /= 10;
    } while (start != 0);
  }
  std::string_view Text() const { return {digits_ + begin_, kSize - begin_}; }
  void Increment() {
    std::size_t i = kSize;
    while (i > begin_ && digits_[i - 1] == '9') digits_[--i] = '0';
    if (i > begin_) {
      ++digits_[i - 1];
    } else {
      digits_[--begin_] = '1';
    }
  }

 private:
  static constexpr std::size_t kSize = 24;
  char digits_[kSize];
  std::size_t begin_;
};

// The sum of the digit counts of the whole numbers first..last (none when last < first).
std::uint64_t DigitsOfRange(std::uint64_t first, std::uint64_t last) {
  std::uint64_t total = 0;
  std::uint64_t low = 1;
  for (std::uint64_t digits = 1; digits <= 20 && low <= last; ++digits) {
    const std::uint64_t high = low > UINT64_MAX / 10 ? UINT64_MAX : low * 10 - 1;
    const std::uint64_t from = std::max(first, low);
    const std::uint64_t to = std::min(last, high);
    if (from <= to) total += (to - from + 1) * digits;
    if (high == UINT64_MAX) break;
    low = high + 1;
  }
  return total;
}

void WriteEntries(const CellDocument& cells, OutputBuffer& out) {
  for (const Colour colour : cells.colours) {
    out.Commit(WriteColourEntry(out.Reserve(kColourEntryRoom), colour));
  }
}

// Every cell's switch and text part. The picture cells' part is made once.
void WriteBody(const CellDocument& cells, OutputBuffer& out) {
  const Text part = CellTextPart(cells.text);
  const bool part_buffered = part.size() <= kBufferedPart;
  const std::int64_t row_end = cells.columns;
  std::int64_t column = 0;
  DecimalCounter switch_number(2);  // the second cell's
  for (std::size_t n = 0; n < cells.colours.size(); ++n) {
    const bool is_row_end = column == row_end;
    column = is_row_end ? 0 : column + 1;
    char* p = out.Reserve(kMaxColourSwitchSize + kBufferedPart);
    if (n > 0) {
      p = Put(p, kColourSwitch);
      p = Put(p, switch_number.Text());
      switch_number.Increment();
    }
    if (is_row_end) {
      out.Commit(Put(p, kParagraphMark));
    } else if (part_buffered) {
      out.Commit(Put(p, part));
    } else {
      out.Commit(p);
      out.Append(part);
    }
  }
}

}  // namespace

void StartDocument(CellDocument& document, std::string_view text, int columns) {
  std::vector<Colour>().swap(document.colours);
  document.text = Text(text);
  document.columns = std::max(columns, 0);
}

char* WriteColourEntry(char* out, Colour colour) {
  // Green and blue are defined as the real quotients (colour AND 0xFF00) / 256 and
  // (colour AND 0xFF0000) / 65536 written by RealText. Both quotients are exact whole
  // numbers from 0 to 255, and "%.13g" writes a whole number below 10^13 as its plain
  // decimal digits, so the integer text of the component byte is the same text without
  // a floating-point conversion per cell.
  // A four-byte component copy spills into the room of what follows it, and after
  // the last one into the scratch bytes of kColourEntryRoom.
  char* p = Put(out, kRed);
  p = PutComponent(p, RedOf(colour));
  p = Put(p, kGreen);
  p = PutComponent(p, GreenOf(colour));
  p = Put(p, kBlue);
  p = PutComponent(p, BlueOf(colour));
  *p++ = ';';
  return p;
}

Text CellTextPart(std::string_view text) {
  Text part;
  if (FindAtCharacterStart(text, kLineBreak) == std::string_view::npos) {
    AppendHexEscape(part, text);
    return part;
  }
  ForEachPiece(text, kLineBreak, [&part](std::string_view line) {
    AppendHexEscape(part, line);
    part.append(kParagraphMark);
  });
  return part;
}

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

bool WriteRtfDocument(const CellDocument& cells, ByteSink& sink) {
  OutputBuffer out(sink, std::size_t{1} << 18);
  const auto pieces = DocumentPieces({}, {});
  // Everything before the colour-table entries, then the entries, then everything
  // between them and the body, the body and the tail.
  for (std::size_t i = 0; i < kColourEntriesPiece; ++i) out.Append(pieces[i]);
  WriteEntries(cells, out);
  for (std::size_t i = kColourEntriesPiece + 1; i < kBodyPiece; ++i) out.Append(pieces[i]);
  WriteBody(cells, out);
  for (std::size_t i = kBodyPiece + 1; i < pieces.size(); ++i) out.Append(pieces[i]);
  return out.Flush();
}

std::uint64_t RtfDocumentSize(const CellDocument& cells) {
  const std::uint64_t count = cells.colours.size();
  std::uint64_t size = kDocumentFrameSize + count * kEntryFrameSize;
  for (const Colour colour : cells.colours) {
    size += kComponentTexts[RedOf(colour)].size + kComponentTexts[GreenOf(colour)].size +
            kComponentTexts[BlueOf(colour)].size;
  }
  if (count > 1) size += (count - 1) * kColourSwitch.size() + DigitsOfRange(2, count);
  const std::uint64_t per_row = static_cast<std::uint64_t>(cells.CellsPerRow());
  const std::uint64_t row_ends = count / per_row;
  const std::uint64_t picture_cells = count - row_ends;
  size = AddSaturated(size, MultiplySaturated(picture_cells, CellTextPartSize(cells.text)));
  return AddSaturated(size, row_ends * kParagraphMark.size());
}

std::uint64_t RtfDocumentSizeBound(std::int64_t rows, std::int64_t columns,
                                   std::string_view text) {
  const auto row_count = static_cast<std::uint64_t>(std::max<std::int64_t>(rows, 0));
  const auto picture_cells =
      MultiplySaturated(row_count, static_cast<std::uint64_t>(std::max<std::int64_t>(columns, 0)));
  const std::uint64_t cells = AddSaturated(picture_cells, row_count);
  std::uint64_t size = MultiplySaturated(cells, kMaxColourEntrySize + kMaxColourSwitchSize);
  size = AddSaturated(size, MultiplySaturated(picture_cells, CellTextPartSize(text)));
  size = AddSaturated(size, MultiplySaturated(row_count, kParagraphMark.size()));
  return AddSaturated(size, kDocumentFrameSize);
}

Text RtfDocumentText(const CellDocument& cells) {
  Text document;
  const std::uint64_t size = RtfDocumentSize(cells);
  document.reserve(static_cast<std::size_t>(size));
  AdviseHugePages(document.data(), document.capacity());
  StringSink sink(document);
  WriteRtfDocument(cells, sink);
  return document;
}

}  // namespace kolvane
