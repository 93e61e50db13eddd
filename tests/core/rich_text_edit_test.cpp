#include "richtext/rich_text_edit.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kolvane {
namespace {

CharFormat Coloured(Colour colour, std::int32_t font = -1) {
  CharFormat format;
  format.colour = colour;
  format.font = font;
  return format;
}

// "ab|c" in red, blue, blue; then "" ; then "de" in green (| marks the runs).
RichText Sample() {
  RichText document;
  AppendText(document, u"a", Coloured(1));
  AppendText(document, u"bc", Coloured(2));
  StartParagraph(document);
  StartParagraph(document);
  AppendText(document, u"de", Coloured(3));
  return document;
}

std::vector<std::u16string> Texts(const RichText& document) {
  std::vector<std::u16string> texts;
  for (const Paragraph& paragraph : document.paragraphs) texts.push_back(paragraph.text);
  return texts;
}

TEST(RichTextEdit, PositionsCountAMarkBetweenParagraphs) {
  EXPECT_EQ(TextLength(Sample()), 3u + 1 + 0 + 1 + 2);
  EXPECT_EQ(TextLength(RichText{}), 0u);
}

TEST(RichTextEdit, SlicesKeepEveryParagraphTheyTouch) {
  struct Case {
    std::size_t from;
    std::size_t to;
    std::vector<std::u16string> texts;
  };
  const std::vector<Case> cases = {
      {1, 3, {u"bc"}},
      {1, 7, {u"bc", u"", u"de"}},
      {3, 4, {u"", u""}},   // the first paragraph's mark: both its sides
      {4, 5, {u"", u""}},   // the empty paragraph's mark
      {0, 100, {u"abc", u"", u"de"}},
      {6, 6, {u""}},
  };
  for (const Case& c : cases) {
    const RichText part = Slice(Sample(), c.from, c.to);
    EXPECT_EQ(Texts(part), c.texts) << c.from << ".." << c.to;
  }
  const RichText part = Slice(Sample(), 0, 2);
  ASSERT_EQ(part.paragraphs[0].runs.size(), 2u);
  EXPECT_EQ(part.paragraphs[0].runs[1], (TextRun{1, Coloured(2)}));
}

TEST(RichTextEdit, ReplaceJoinsAndSplitsParagraphs) {
  struct Case {
    std::string name;
    std::size_t from;
    std::size_t length;
    std::u16string insert;  // U+2029 between paragraphs, in colour 9
    std::vector<std::u16string> texts;
  };
  const std::vector<Case> cases = {
      {"type", 1, 0, u"X", {u"aXbc", u"", u"de"}},
      {"delete a mark", 3, 1, u"", {u"abc", u"de"}},
      {"delete across paragraphs", 2, 4, u"", {u"abe"}},
      {"split", 1, 0, u"\u2029", {u"a", u"bc", u"", u"de"}},
      {"replace with paragraphs", 1, 5, u"X\u2029Y", {u"aX", u"Ye"}},
      {"append", 7, 0, u"!", {u"abc", u"", u"de!"}},
      {"past the end", 99, 5, u"!", {u"abc", u"", u"de!"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RichText document = Sample();
    Replace(document, c.from, c.length, TextInFormat(document, c.insert, Coloured(9)));
    EXPECT_EQ(Texts(document), c.texts);
    // Runs still cover each paragraph exactly, never empty, neighbours different.
    for (const Paragraph& paragraph : document.paragraphs) {
      std::size_t covered = 0;
      for (std::size_t r = 0; r < paragraph.runs.size(); ++r) {
        EXPECT_GT(paragraph.runs[r].length, 0u);
        if (r > 0) {
          EXPECT_NE(paragraph.runs[r].format, paragraph.runs[r - 1].format);
        }
        covered += paragraph.runs[r].length;
      }
      EXPECT_EQ(covered, paragraph.text.size());
    }
  }
  RichText document = Sample();
  Replace(document, 1, 0, TextInFormat(document, u"X", Coloured(1)));
  EXPECT_EQ(document.paragraphs[0].runs[0], (TextRun{2, Coloured(1)})) << "joins its run";
}

TEST(RichTextEdit, ReplaceBringsFontsAlongByName) {
  RichText document = Sample();
  document.fonts = {"A"};
  RichText insert;
  insert.fonts = {"B", "A"};
  AppendText(insert, u"x", Coloured(5, 0));
  AppendText(insert, u"y", Coloured(5, 1));
  Replace(document, 0, 0, insert);
  EXPECT_EQ(document.fonts, (std::vector<std::string>{"A", "B"}));
  EXPECT_EQ(document.paragraphs[0].runs[0].format.font, 1);  // B
  EXPECT_EQ(document.paragraphs[0].runs[1].format.font, 0);  // A
}

TEST(RichTextEdit, TypedTextTakesTheFormatBeforeIt) {
  const RichText document = Sample();
  EXPECT_EQ(TypingFormat(document, 0), Coloured(1));  // the first of the paragraph
  EXPECT_EQ(TypingFormat(document, 1), Coloured(1));
  EXPECT_EQ(TypingFormat(document, 2), Coloured(2));
  EXPECT_EQ(TypingFormat(document, 4), Coloured(2));  // empty paragraph: the last before
  EXPECT_EQ(TypingFormat(RichText{}, 0), CharFormat{});
}

TEST(RichTextEdit, FontsInOrderOfUseWithTheDefaultFaceAsNone) {
  RichText document;
  document.fonts = {"B", std::string(kDefaultFaceName), "C"};
  AppendText(document, u"a", Coloured(1, 2));
  AppendText(document, u"b", Coloured(1, 1));
  AppendText(document, u"c", Coloured(1, -1));
  AppendText(document, u"d", Coloured(1, 0));
  const RichText normal = WithFontsInOrderOfUse(document);
  EXPECT_EQ(normal.fonts, (std::vector<std::string>{"C", "B"}));
  ASSERT_EQ(normal.paragraphs[0].runs.size(), 3u) << "the default face's runs join";
  EXPECT_EQ(normal.paragraphs[0].runs[1], (TextRun{2, Coloured(1, -1)}));
}

}  // namespace
}  // namespace kolvane
