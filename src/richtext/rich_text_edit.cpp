#include "richtext/rich_text_edit.h"

#include <algorithm>
#include <utility>

namespace kolvane {
namespace {

constexpr char16_t kParagraphSeparator = 0x2029;

struct Place {
  std::size_t paragraph = 0;
  std::size_t offset = 0;
};

// The paragraph and offset of a position, clamped to the end of the document.
Place Locate(const RichText& document, std::size_t position) {
  for (std::size_t p = 0; p < document.paragraphs.size(); ++p) {
    const std::size_t length = document.paragraphs[p].text.size();
    if (position <= length) return {p, position};
    position -= length + 1;
  }
  if (document.paragraphs.empty()) return {};
  return {document.paragraphs.size() - 1, document.paragraphs.back().text.size()};
}

// Appends the runs and text of more to paragraph, merging the runs that meet.
void AppendParagraph(Paragraph& paragraph, const Paragraph& more) {
  paragraph.text += more.text;
  for (const TextRun& run : more.runs) {
    if (run.length == 0) continue;
    TextRun& target = RunToAppendTo(paragraph, run.format);
    if (target.length > kMaxRunLength - run.length) {
      paragraph.runs.push_back(run);
    } else {
      target.length += run.length;
    }
  }
}

// The characters from..to of a paragraph with their runs.
Paragraph SliceParagraph(const Paragraph& paragraph, std::size_t from, std::size_t to) {
  Paragraph part;
  to = std::min(to, paragraph.text.size());
  from = std::min(from, to);
  part.text = paragraph.text.substr(from, to - from);
  std::size_t start = 0;
  for (const TextRun& run : paragraph.runs) {
    const std::size_t end = start + run.length;
    const std::size_t a = std::max(start, from);
    const std::size_t b = std::min(end, to);
    if (a < b) RunToAppendTo(part, run.format).length += static_cast<std::uint32_t>(b - a);
    start = end;
    if (start >= to) break;
  }
  return part;
}

}  // namespace

std::size_t TextLength(const RichText& document) {
  if (document.paragraphs.empty()) return 0;
  std::size_t length = document.paragraphs.size() - 1;
  for (const Paragraph& paragraph : document.paragraphs) length += paragraph.text.size();
  return length;
}

RichText Slice(const RichText& document, std::size_t from, std::size_t to) {
  RichText part;
  part.fonts = document.fonts;
  if (document.paragraphs.empty()) return part;
  to = std::max(from, to);
  const Place first = Locate(document, from);
  const Place last = Locate(document, to);
  for (std::size_t p = first.paragraph; p <= last.paragraph; ++p) {
    const Paragraph& paragraph = document.paragraphs[p];
    part.paragraphs.push_back(SliceParagraph(paragraph, p == first.paragraph ? first.offset : 0,
                                             p == last.paragraph ? last.offset : paragraph.text.size()));
  }
  return part;
}

void Replace(RichText& document, std::size_t from, std::size_t length, const RichText& insert) {
  if (document.paragraphs.empty()) StartParagraph(document);
  const std::size_t total = TextLength(document);
  from = std::min(from, total);
  const Place first = Locate(document, from);
  const Place last = Locate(document, from + std::min(length, total - from));

  // The inserted paragraphs, their fonts those of the document.
  std::vector<Paragraph> middle = insert.paragraphs;
  if (middle.empty()) middle.emplace_back();
  for (Paragraph& paragraph : middle) {
    for (TextRun& run : paragraph.runs) {
      const std::int32_t font = run.format.font;
      run.format.font = font >= 0 && static_cast<std::size_t>(font) < insert.fonts.size()
                            ? FontIndex(document, insert.fonts[static_cast<std::size_t>(font)])
                            : -1;
    }
  }
  const Paragraph& start = document.paragraphs[first.paragraph];
  const Paragraph& end = document.paragraphs[last.paragraph];
  Paragraph head = SliceParagraph(start, 0, first.offset);
  const Paragraph tail = SliceParagraph(end, last.offset, end.text.size());
  AppendParagraph(head, middle.front());
  middle.front() = std::move(head);
  AppendParagraph(middle.back(), tail);

  auto& paragraphs = document.paragraphs;
  const auto begin = paragraphs.begin() + static_cast<std::ptrdiff_t>(first.paragraph);
  const auto stop = paragraphs.begin() + static_cast<std::ptrdiff_t>(last.paragraph) + 1;
  const auto at = paragraphs.erase(begin, stop);
  paragraphs.insert(at, std::make_move_iterator(middle.begin()), std::make_move_iterator(middle.end()));
}

std::u16string JoinedText(const RichText& document) {
  std::u16string text;
  text.reserve(TextLength(document));
  for (std::size_t p = 0; p < document.paragraphs.size(); ++p) {
    if (p > 0) text.push_back(kParagraphSeparator);
    text += document.paragraphs[p].text;
  }
  return text;
}

CharFormat TypingFormat(const RichText& document, std::size_t position) {
  if (document.paragraphs.empty()) return {};
  const Place place = Locate(document, position);
  for (std::size_t p = place.paragraph + 1; p-- > 0;) {
    const Paragraph& paragraph = document.paragraphs[p];
    if (paragraph.runs.empty()) continue;
    if (p < place.paragraph) return paragraph.runs.back().format;
    // The run holding the character before the offset, or the first run.
    std::size_t start = 0;
    for (const TextRun& run : paragraph.runs) {
      if (place.offset <= start + run.length) return run.format;
      start += run.length;
    }
    return paragraph.runs.back().format;
  }
  return {};
}

RichText TextInFormat(const RichText& document, std::u16string_view text, const CharFormat& format) {
  RichText result;
  result.fonts = document.fonts;
  StartParagraph(result);
  std::size_t start = 0;
  for (std::size_t i = 0; i <= text.size(); ++i) {
    if (i < text.size() && text[i] != kParagraphSeparator) continue;
    AppendText(result, text.substr(start, i - start), format);
    if (i < text.size()) StartParagraph(result);
    start = i + 1;
  }
  return result;
}

RichText WithFontsInOrderOfUse(const RichText& document) {
  RichText result;
  for (const Paragraph& paragraph : document.paragraphs) {
    Paragraph& copy = result.paragraphs.emplace_back();
    copy.text = paragraph.text;
    for (TextRun run : paragraph.runs) {
      const std::int32_t font = run.format.font;
      const bool named = font >= 0 && static_cast<std::size_t>(font) < document.fonts.size() &&
                         document.fonts[static_cast<std::size_t>(font)] != kDefaultFaceName;
      run.format.font = named ? FontIndex(result, document.fonts[static_cast<std::size_t>(font)]) : -1;
      // Runs that differed only in naming the default face now join.
      Paragraph one_run;
      one_run.runs.push_back(run);
      AppendParagraph(copy, one_run);
    }
  }
  return result;
}

}  // namespace kolvane
