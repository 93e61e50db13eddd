#include "richtext/rich_text.h"

#include <gtest/gtest.h>

#include <string>

#include "richtext/rtf_reader.h"

namespace kolvane {
namespace {

const std::string kFace(kDefaultFaceName);

// The fixed lines of every document WriteRtf makes around its colour table.
const std::string kHead =
    "{\\rtf1\\ansi\\ansicpg936\\deff0\\deflang1033\\deflangfe2052{\\fonttbl{\\f0\\fmodern\\fprq6"
    "\\fcharset134 \\'cb\\'ce\\'cc\\'e5;}";
const std::string kBodyStart =
    "{\\*\\generator Msftedit 5.41.15.1507;}\\viewkind4\\uc1\\pard\\lang2052";

CharFormat Format(std::optional<Colour> colour, std::int32_t font, std::int16_t size = 24) {
  CharFormat f;
  f.colour = colour;
  f.font = font;
  f.font_size = size;
  return f;
}

// The model of the worked example: two rows of "光", the first cell 0x00336699 and the
// rest white, then the two empty paragraphs of the document's tail.
RichText WorkedExample() {
  RichText document;
  const std::int32_t face = FontIndex(document, kDefaultFaceName);
  AppendText(document, u"光", Format(0x00336699, face, 20));
  AppendText(document, u"光", Format(0x00FFFFFF, face, 20));
  StartParagraph(document);
  AppendText(document, u"光光", Format(0x00FFFFFF, face, 20));
  StartParagraph(document);
  StartParagraph(document);
  return document;
}

// Everything the writers have to carry: faces with RTF-special characters in their
// names, every attribute, characters beyond code page 936 (a surrogate pair among
// them), the single-byte euro sign, tabs, line breaks and empty paragraphs.
RichText VariedDocument() {
  RichText document;
  const std::int32_t arial = FontIndex(document, "Arial");
  const std::int32_t face = FontIndex(document, kDefaultFaceName);
  const std::int32_t odd = FontIndex(document, "Times; {New}\\ Roman");
  CharFormat bold = Format(std::nullopt, arial, 21);
  bold.bold = true;
  AppendText(document, u"Hello, {world}\\ ;", bold);
  CharFormat marked = Format(0x00000000, face);
  marked.italic = marked.underline = true;
  AppendText(document, u"光é€", marked);
  AppendText(document, u"가😀ก", Format(0x00123456, odd, 1));
  StartParagraph(document);
  StartParagraph(document);
  AppendText(document, u"\t\u2028x", Format(0x00FFFFFF, face, 3276));
  StartParagraph(document);
  AppendText(document, u"a", Format(std::nullopt, face));
  return document;
}

TEST(RichText, AppendTextMergesEqualFormats) {
  RichText document;
  AppendText(document, u"ab", Format(1, -1));
  AppendText(document, u"", Format(2, -1));
  AppendText(document, u"c", Format(1, -1));
  AppendText(document, u"d", Format(2, -1));
  ASSERT_EQ(document.paragraphs.size(), 1u);
  EXPECT_EQ(document.paragraphs[0].text, u"abcd");
  EXPECT_EQ(document.paragraphs[0].runs,
            (std::vector<TextRun>{{3, Format(1, -1)}, {1, Format(2, -1)}}));
  StartParagraph(document);
  AppendText(document, u"e", Format(2, -1));
  EXPECT_EQ(document.paragraphs[1].runs, (std::vector<TextRun>{{1, Format(2, -1)}}));
}

TEST(RichText, AppendUnitBuildsWhatAppendTextBuilds) {
  RichText by_text;
  RichText by_unit;
  AppendUnit(by_unit, u'a', Format(1, -1));  // starts the first paragraph, as AppendText does
  AppendText(by_text, u"a", Format(1, -1));
  for (const auto& [text, format] :
       std::vector<std::pair<std::u16string, CharFormat>>{{u"bc", Format(1, -1)},
                                                          {u"d", Format(2, -1)},
                                                          {u"e", Format(2, 0)},
                                                          {u"f", Format(1, 0)}}) {
    AppendText(by_text, text, format);
    for (const char16_t unit : text) AppendUnit(by_unit, unit, format);
  }
  StartParagraph(by_text);
  StartParagraph(by_unit);
  AppendText(by_text, u"g", Format(1, 0));
  AppendUnit(by_unit, u'g', Format(1, 0));
  EXPECT_EQ(by_unit, by_text);
  EXPECT_EQ(by_unit.paragraphs[0].runs.size(), 4u);
}

TEST(RichText, AFullRunTakesNoMoreText) {
  const CharFormat format = Format(1, -1);
  Paragraph nearly_full;  // its text left out: only the run's length counts here
  nearly_full.runs = {{kMaxRunLength - 1, format}};
  RichText by_text{{nearly_full}, {}};
  AppendText(by_text, u"ab", format);
  EXPECT_EQ(by_text.paragraphs[0].runs,
            (std::vector<TextRun>{{kMaxRunLength, format}, {1, format}}));
  RichText by_unit{{nearly_full}, {}};
  AppendUnit(by_unit, u'a', format);
  AppendUnit(by_unit, u'b', format);
  EXPECT_EQ(by_unit, by_text);
}

TEST(RichText, FontIndexAddsEachNameOnce) {
  RichText document;
  EXPECT_EQ(FontIndex(document, "Arial"), 0);
  EXPECT_EQ(FontIndex(document, kDefaultFaceName), 1);
  EXPECT_EQ(FontIndex(document, "Arial"), 0);
  EXPECT_EQ(document.fonts, (std::vector<std::string>{"Arial", kFace}));
}

TEST(RichTextRtf, WritesTheProgramsForm) {
  EXPECT_EQ(
      WriteRtf(WorkedExample()),
      kHead + "}\r\n{\\colortbl ;\\red153\\green102\\blue51;\\red255\\green255\\blue255;}\r\n" +
          kBodyStart + "\\cf1\\fs20\\'B9\\'E2\\cf2\\'B9\\'E2\\par\\'B9\\'E2\\'B9\\'E2\\par\\par}");
}

TEST(RichTextRtf, WritesFacesAttributesAndCharactersOutsideTheCodePage) {
  const std::string rtf = WriteRtf(VariedDocument());
  // Each face but 宋体 gets an entry of its own, its name escaped byte by byte.
  EXPECT_NE(rtf.find("{\\f1\\fnil\\fcharset134 \\'41\\'72\\'69\\'61\\'6C;}"), std::string::npos);
  EXPECT_NE(rtf.find("{\\f2\\fnil\\fcharset134 \\'54\\'69\\'6D\\'65\\'73\\'3B\\'20\\'7B"),
            std::string::npos);
  EXPECT_NE(rtf.find("{\\colortbl ;\\red0\\green0\\blue0;\\red86\\green52\\blue18;"
                     "\\red255\\green255\\blue255;}"),
            std::string::npos);
  EXPECT_NE(rtf.find("\\f1\\fs21\\b\\'48"), std::string::npos);
  EXPECT_NE(rtf.find("\\cf1\\f0\\fs24\\b0\\i\\ul\\'B9\\'E2\\'A8\\'A6\\'80"), std::string::npos);
  // 가 U+AC00, then 😀 as its two surrogates, each with a "?" fallback.
  EXPECT_NE(rtf.find("\\u-21504\\'3F\\u-10179\\'3F\\u-8704\\'3F\\u3585\\'3F"), std::string::npos);
  EXPECT_NE(rtf.find("\\par\\par\\cf3\\f0\\fs3276\\tab\\line\\'78\\par\\cf0\\fs24\\'61}"),
            std::string::npos);
  // Nothing but 7-bit text.
  for (const char c : rtf) EXPECT_LT(static_cast<unsigned char>(c), 0x80);
}

TEST(RichTextRtf, ReadingWhatWasWrittenGivesTheDocumentBack) {
  const RichText read_example = ReadRtf(WriteRtf(WorkedExample()));
  EXPECT_EQ(read_example, WorkedExample());
  EXPECT_EQ(ReadRtf(WriteRtf(VariedDocument())), VariedDocument());

  // The program's own document, read, written and read again.
  const RichText program_document = ReadRtf(
      "{\\rtf1\\ansi\\ansicpg936\\deff0\\deflang1033\\deflangfe2052{\\fonttbl{\\f0\\fmodern\\fprq6"
      "\\fcharset134 \\'cb\\'ce\\'cc\\'e5;}}\r\n"
      "{\\colortbl ;\\red153\\green102\\blue51;\\red255\\green255\\blue255;\\red1\\green2\\blue3;}"
      "\r\n{\\*\\generator Msftedit 5.41.15.1507;}\\viewkind4\\uc1\\pard\\cf1\\lang2052\\f0\\fs20"
      "\\'B9\\'E2\\cf2\\'41\\'42\\cf3\\par\\cf3\\'0D\\'7B\\cf0\\par}");
  EXPECT_EQ(ReadRtf(WriteRtf(program_document)), program_document);
}

TEST(RichTextRtf, RunsWithoutAFaceAreWrittenInTheDefaultFace) {
  RichText document;
  AppendText(document, u"a", Format(std::nullopt, -1));
  const RichText read = ReadRtf(WriteRtf(document));
  EXPECT_EQ(read.fonts, std::vector<std::string>{kFace});
  EXPECT_EQ(read.paragraphs.at(0).runs, (std::vector<TextRun>{{1, Format(std::nullopt, 0)}}));
}

TEST(RichTextRtf, EmptyDocument) {
  const std::string rtf = WriteRtf(RichText{});
  EXPECT_EQ(rtf, kHead + "}\r\n{\\colortbl ;}\r\n" + kBodyStart + "}");
  const RichText one_empty_paragraph{std::vector<Paragraph>(1), {}};
  EXPECT_EQ(ReadRtf(rtf), one_empty_paragraph);
}

TEST(RichTextHtml, SetsTheFontOncePerParagraphAndColoursInSpans) {
  RichText document;
  const std::int32_t face = FontIndex(document, kDefaultFaceName);
  const std::int32_t odd = FontIndex(document, "Ar'ial\"<x>");
  CharFormat bold = Format(0x00336699, face, 21);
  bold.bold = true;
  AppendText(document, u"<a&b>\"'", bold);
  CharFormat marked = Format(std::nullopt, odd);
  marked.italic = marked.underline = true;
  AppendText(document, u"x", marked);
  StartParagraph(document);
  StartParagraph(document);
  AppendText(document, u"a\tb\u2028c\x0001\xD800光😀", Format(std::nullopt, -1, 18));
  EXPECT_EQ(WriteHtml(document),
            "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"></head><body>\n"
            "<div style=\"white-space:pre-wrap;font-family:" + kFace +
                ",SimSun;font-size:10.5pt\">"
                "<span style=\"color:#996633;font-weight:bold\">&lt;a&amp;b&gt;&quot;&#39;</span>"
                "<span style=\"font-family:'Arialx';font-size:12pt;font-style:italic;"
                "text-decoration:underline\">x</span></div>\n"
                "<div style=\"white-space:pre-wrap;font-family:" + kFace +
                ",SimSun;font-size:12pt\"><br></div>\n"
                "<div style=\"white-space:pre-wrap;font-family:" + kFace +
                ",SimSun;font-size:9pt\">"
                "a&#9;b<br>c\xEF\xBF\xBD\xE5\x85\x89\xF0\x9F\x98\x80</div>\n"
                "</body></html>\n");
}

TEST(RichTextHtml, NeighbouringRunsThatLookAlikeShareASpan) {
  RichText document;
  const std::int32_t face = FontIndex(document, kDefaultFaceName);
  AppendText(document, u"ab", Format(0x000000FF, face));  // the default face, named
  AppendText(document, u"c", Format(0x000000FF, -1));     // and as none: they look alike
  AppendText(document, u"d", Format(0x000000FF, -1, 30));  // same colour, another size
  AppendText(document, u"e", Format(0x000000FF, -1));
  const std::string html = WriteHtml(document);
  EXPECT_NE(html.find("<span style=\"color:#ff0000\">abc</span>"
                      "<span style=\"color:#ff0000;font-family:" + kFace +
                      ",SimSun;font-size:15pt\">d</span>"
                      "<span style=\"color:#ff0000\">e</span></div>"),
            std::string::npos)
      << html;
}

TEST(RichTextPlain, JoinsParagraphsAndLineBreaksWithNewlines) {
  EXPECT_EQ(PlainText(WorkedExample()), u"光光\n光光\n\n");
  RichText document;
  AppendText(document, u"a\u2028b", Format(std::nullopt, -1));
  EXPECT_EQ(PlainText(document), u"a\nb");
  EXPECT_EQ(PlainText(RichText{}), u"");
}

TEST(RichText, Utf8FromUtf16) {
  EXPECT_EQ(Utf8FromUtf16(u"a\u00E9光😀"), "a\xC3\xA9\xE5\x85\x89\xF0\x9F\x98\x80");
  const char16_t lone[] = {0xDC00, u'a', 0xD800};
  EXPECT_EQ(Utf8FromUtf16(std::u16string_view(lone, 3)),
            "\xEF\xBF\xBD"
            "a\xEF\xBF\xBD");
}

}  // namespace
}  // namespace kolvane
