#pragma once
// The document model of the rich edit box, and the RTF, HTML and plain-text forms that
// a copy puts on the clipboard.
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/types.h"

namespace kolvane {

// How a run of characters looks.
struct CharFormat {
  std::optional<Colour> colour;  // empty: the automatic (default) text colour
  std::int32_t font = -1;        // index into RichText::fonts; -1: the box's default face
  std::int16_t font_size = 24;   // in half-points, 1..3276
  bool bold = false;
  bool italic = false;
  bool underline = false;

  bool operator==(const CharFormat&) const = default;
};

// The most UTF-16 units a run holds; text beyond it goes on in a new run.
inline constexpr std::uint32_t kMaxRunLength = std::numeric_limits<std::uint32_t>::max();

// A stretch of a paragraph's text in one format.
struct TextRun {
  std::uint32_t length = 0;  // in UTF-16 code units
  CharFormat format;

  bool operator==(const TextRun&) const = default;
};

// One paragraph: its text and the runs that cover it in order, their lengths summing to
// text.size(). Runs are never empty; adjacent runs differ in format. Line breaks inside a
// paragraph are U+2028.
struct Paragraph {
  std::u16string text;
  std::vector<TextRun> runs;

  bool operator==(const Paragraph&) const = default;
};

// A document: paragraphs (separated by paragraph marks; the last one may be empty) and
// the distinct face names (UTF-8) that the runs refer to, in order of first use.
struct RichText {
  std::vector<Paragraph> paragraphs;
  std::vector<std::string> fonts;

  bool operator==(const RichText&) const = default;
};

// The face that the box shows runs of font -1 in, and that WriteRtf declares as \f0.
inline constexpr std::string_view kDefaultFaceName = "\xE5\xAE\x8B\xE4\xBD\x93";  // 宋体

// Starts a new, empty paragraph at the end of the document.
void StartParagraph(RichText& document);

// The run that text in the given format goes on at the end of the paragraph: its last
// run when that has the format and room for more, otherwise a new, empty one.
inline TextRun& RunToAppendTo(Paragraph& paragraph, const CharFormat& format) {
  if (paragraph.runs.empty() || paragraph.runs.back().format != format ||
      paragraph.runs.back().length == kMaxRunLength) {
    paragraph.runs.push_back(TextRun{0, format});
  }
  return paragraph.runs.back();
}

// Appends text in the given format to the last paragraph (starting one if there is none),
// merged into the last run when the formats are equal.
void AppendText(RichText& document, std::u16string_view text, const CharFormat& format);

// AppendText of a single UTF-16 unit, for readers that produce text one unit at a time.
inline void AppendUnit(RichText& document, char16_t unit, const CharFormat& format) {
  if (document.paragraphs.empty()) StartParagraph(document);
  Paragraph& paragraph = document.paragraphs.back();
  ++RunToAppendTo(paragraph, format).length;
  paragraph.text.push_back(unit);
}

// The index of a face name in document.fonts, added at the end if it is not there yet.
std::int32_t FontIndex(RichText& document, std::string_view name);

// The document as RTF in the form of the program's own documents: code page 936, the
// 宋体 font entry as \f0, a compact colour table, \cf switches, upper-case \'hh escapes
// of code-page-936 bytes, \uN for characters the code page cannot hold, \par between
// paragraphs. A document without paragraphs is written as one empty paragraph.
std::string WriteRtf(const RichText& document);

// The document as a UTF-8 HTML page for the clipboard: one block per paragraph that
// sets its face and size once, spans of colour alone joined over runs of one colour
// (a run in another face, size or style says so in its span), text HTML-escaped.
std::string WriteHtml(const RichText& document);

// The document's characters with paragraphs (and line breaks) joined by "\n".
std::u16string PlainText(const RichText& document);

// UTF-16 to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string Utf8FromUtf16(std::u16string_view text);

}  // namespace kolvane
