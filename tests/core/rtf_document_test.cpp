#include "convert/rtf_document.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "convert/document_state.h"
#include "convert/text_forms.h"

namespace kolvane {
namespace {

constexpr char kGuang[] = "\xB9\xE2";  // "光" in code page 936
constexpr Colour kWhite = 0xFFFFFFFF;

// The cells a conversion run appends over a width x height picture: per row, one
// cell per column and a row-end cell, each coloured from colour_at(column, row), both
// counted from 1.
CellDocument RunCells(int width, int height, std::string_view text,
                 const std::function<Colour(int x, int y)>& colour_at) {
  CellDocument cells;
  StartDocument(cells, text, width);
  for (int i = 1; i <= height; ++i) {
    for (int j = 1; j <= width + 1; ++j) AppendCell(cells, colour_at(j, i));
  }
  return cells;
}

// The text part as the pieces compose it: escape, or escaped lines each with "\par".
Text ReferenceTextPart(std::string_view text) {
  if (FindInText(text, kLineBreak) == -1) return HexEscape(text);
  Text part;
  for (const Text& line : SplitText(text, kLineBreak)) part += HexEscape(line) + "\\par";
  return part;
}

Text ReferenceEntry(Colour c) {
  return "\\red" + IntegerText(static_cast<std::int32_t>(c & 255)) + "\\green" +
         RealText((c & 0xFF00) / 256.0) + "\\blue" + RealText((c & 0xFF0000) / 65536.0) + ";";
}

Text Entry(Colour colour) {
  char room[kColourEntryRoom];
  return Text(room, WriteColourEntry(room, colour));
}

// The colour-table entries and the body of a document.
Text EntriesOf(const Text& document) {
  const std::size_t begin = document.find("{\\colortbl ;") + 12;
  return document.substr(begin, document.find("}\r\n{\\*\\generator") - begin);
}
Text BodyOf(const Text& document) {
  const std::size_t begin = document.find("\\fs20") + 5;
  return document.substr(begin, document.size() - kDocumentTail.size() - begin);
}

TEST(RtfDocument, ColourTableEntries) {
  const std::vector<std::pair<Colour, std::string>> cases = {
      {0x00336699, "\\red153\\green102\\blue51;"},
      {0x00000000, "\\red0\\green0\\blue0;"},
      {0x00FFFFFF, "\\red255\\green255\\blue255;"},
      {0xFFFFFFFF, "\\red255\\green255\\blue255;"},
      {0x12345678, "\\red120\\green86\\blue52;"},
  };
  for (const auto& [colour, expected] : cases) {
    EXPECT_EQ(Entry(colour), expected) << std::hex << colour;
    const Colour c = colour;  // Clang 14 cannot capture a structured binding
    EXPECT_EQ(EntriesOf(RtfDocumentText(RunCells(0, 1, kGuang, [c](int, int) { return c; }))),
              expected);
  }
}

TEST(RtfDocument, ComponentTextsEqualTheRealQuotientsText) {
  for (std::uint32_t v = 0; v < 256; ++v) {
    const auto whole = static_cast<std::int32_t>(v);
    ASSERT_EQ(RealText((v << 8) / 256.0), IntegerText(whole)) << v;
    ASSERT_EQ(RealText((v << 16) / 65536.0), IntegerText(whole)) << v;
  }
  // Every value of every component, under every top byte pattern that matters.
  for (const Colour top : {0x00000000u, 0xFF000000u, 0x5A000000u}) {
    Text expected;
    const CellDocument cells = RunCells(255, 1, "", [&](int x, int) {
      const Colour v = static_cast<Colour>(x - 1);
      const Colour c = top | v | ((255 - v) << 8) | ((v ^ 0xA5) << 16);
      expected += ReferenceEntry(c);
      return c;
    });
    EXPECT_EQ(EntriesOf(RtfDocumentText(cells)), expected);
  }
}

TEST(RtfDocument, TextPartsOfTheFifthCell) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {kGuang, "\\cf5\\'B9\\'E2"},
      {std::string("A\r\n") + kGuang, "\\cf5\\'41\\par\\'B9\\'E2\\par"},
      {"A\r\n", "\\cf5\\'41\\par"},
      {"\r\nA", "\\cf5\\par\\'41\\par"},
      {std::string("A\r\n\r\n") + kGuang, "\\cf5\\'41\\par\\par\\'B9\\'E2\\par"},
      {"", "\\cf5"},
      {"A\r", "\\cf5\\'41\\'0D"},
      // The lead byte B9 takes the CR as its trail byte: no line break.
      {"\xB9\r\n", "\\cf5\\'B9\\'0D\\'0A"},
  };
  for (const auto& [text, expected] : cases) {
    // Cell 4 (from 0) of a row of five picture cells.
    const Text body = BodyOf(RtfDocumentText(RunCells(5, 1, text, [](int, int) { return 0; })));
    const Text part = CellTextPart(text);
    EXPECT_EQ(part, ReferenceTextPart(text)) << HexEscape(text);
    EXPECT_NE(body.find(expected + "\\cf6\\par"), Text::npos) << HexEscape(text);
  }
}

TEST(RtfDocument, CounterRuleOfTheFirstCells) {
  // The first cell has no switch (the body format's \cf1 colours it), the next ones
  // switch to their own entries from 2 on; a row-end cell's part is "\par".
  EXPECT_EQ(BodyOf(RtfDocumentText(RunCells(2, 1, kGuang, [](int, int) { return 0; }))),
            "\\'B9\\'E2\\cf2\\'B9\\'E2\\cf3\\par");
  EXPECT_EQ(BodyOf(RtfDocumentText(RunCells(0, 2, kGuang, [](int, int) { return 0; }))),
            "\\par\\cf2\\par");
}

TEST(RtfDocument, TextPartMatchesEscapingTheSplitLines) {
  const std::string long_line(40, 'x');
  const std::vector<std::string> texts = {
      "",
      kGuang,
      "\xB9\r\n",               // the CR is a trail byte: no line break
      "\xB9\xE2\r\n\xB9",       // a lone lead byte ends the last line
      "0123456789abcdef",
      "0123456789abcdefg",
      long_line,
      long_line + "\r\n" + long_line + "\r\n\r\n",
      "\r\n\r\n\r\n",
      std::string("\0\r\n\0", 4),
      std::string(5000, 'y'),   // longer than the writer's buffered parts
  };
  for (const std::string& text : texts) {
    EXPECT_EQ(CellTextPart(text), ReferenceTextPart(text)) << HexEscape(text);
    EXPECT_EQ(CellTextPartSize(text), ReferenceTextPart(text).size());
    const CellDocument cells = RunCells(3, 2, text, [](int x, int) { return x; });
    const Text part = ReferenceTextPart(text);
    EXPECT_EQ(BodyOf(RtfDocumentText(cells)),
              part + "\\cf2" + part + "\\cf3" + part + "\\cf4\\par\\cf5" + part + "\\cf6" + part +
                  "\\cf7" + part + "\\cf8\\par")
        << HexEscape(text);
  }
}

// The document of a 2 x 2 picture whose only visible pixel read, at (1, 1), is
// 0x00336699: every other read lies outside and gives 0xFFFFFFFF.
const std::string kWorkedExample =
    "{\\rtf1\\ansi\\ansicpg936\\deff0\\deflang1033\\deflangfe2052{\\fonttbl{\\f0\\fmodern"
    "\\fprq6\\fcharset134 \\'cb\\'ce\\'cc\\'e5;}}\r\n"
    "{\\colortbl ;\\red153\\green102\\blue51;\\red255\\green255\\blue255;"
    "\\red255\\green255\\blue255;\\red255\\green255\\blue255;\\red255\\green255\\blue255;"
    "\\red255\\green255\\blue255;}\r\n"
    "{\\*\\generator Msftedit 5.41.15.1507;}\\viewkind4\\uc1\\pard\\cf1\\lang2052\\f0\\fs20"
    "\\'B9\\'E2\\cf2\\'B9\\'E2\\cf3\\par\\cf4\\'B9\\'E2\\cf5\\'B9\\'E2\\cf6\\par\\cf0\\par}";

Colour WorkedExampleColour(int x, int y) { return x == 1 && y == 1 ? 0x00336699 : kWhite; }

TEST(RtfDocument, WorkedExampleByteForByte) {
  const CellDocument cells = RunCells(2, 2, kGuang, WorkedExampleColour);
  EXPECT_EQ(cells.colours.size(), 6u);
  EXPECT_EQ(cells.Rows(), 2);
  EXPECT_EQ(RtfDocumentText(cells), kWorkedExample);
  EXPECT_EQ(RtfDocumentSize(cells), kWorkedExample.size());
}

TEST(RtfDocument, SmallestPictures) {
  const std::string frame_start =
      "{\\rtf1\\ansi\\ansicpg936\\deff0\\deflang1033\\deflangfe2052{\\fonttbl{\\f0\\fmodern"
      "\\fprq6\\fcharset134 \\'cb\\'ce\\'cc\\'e5;}}\r\n{\\colortbl ;";
  const std::string generator =
      "}\r\n{\\*\\generator Msftedit 5.41.15.1507;}\\viewkind4\\uc1\\pard\\cf1\\lang2052\\f0"
      "\\fs20";
  const std::string white = "\\red255\\green255\\blue255;";
  struct Case {
    const char* name;
    int width;
    int height;
    std::string document;
  };
  const std::vector<Case> cases = {
      {"height 0", 5, 0, frame_start + generator + "\\cf0\\par}"},
      {"width 0, one row", 0, 1, frame_start + white + generator + "\\par\\cf0\\par}"},
      {"1 x 1", 1, 1, frame_start + white + white + generator + "\\'B9\\'E2\\cf2\\par\\cf0\\par}"},
      {"width 0, two rows", 0, 2,
       frame_start + white + white + generator + "\\par\\cf2\\par\\cf0\\par}"},
  };
  // The document of no cells is the frame alone.
  EXPECT_EQ(kDocumentFrameSize, cases[0].document.size());
  for (const Case& c : cases) {
    const CellDocument cells = RunCells(c.width, c.height, kGuang, [](int, int) { return kWhite; });
    EXPECT_EQ(RtfDocumentText(cells), c.document) << c.name;
    EXPECT_EQ(RtfDocumentSize(cells), c.document.size()) << c.name;
    EXPECT_LE(c.document.size(), RtfDocumentSizeBound(c.height, c.width, kGuang)) << c.name;
  }
}

// Takes at most a few bytes a call, and fails after a given number of calls.
class ChoppySink : public ByteSink {
 public:
  explicit ChoppySink(std::size_t fail_after = SIZE_MAX) : fail_after_(fail_after) {}
  bool Write(std::string_view bytes) override {
    if (calls_++ >= fail_after_) return false;
    out.append(bytes);
    return true;
  }
  std::string out;

 private:
  std::size_t fail_after_;
  std::size_t calls_ = 0;
};

TEST(RtfDocument, StreamedSizedAndWholeDocumentsAgree) {
  // Counters cross 9, 99, 999 and 9999; colours vary in digit counts.
  const auto colour_at = [](int x, int y) {
    return static_cast<Colour>(x * 2654435761u ^ static_cast<Colour>(y) * 40503u);
  };
  for (const std::string& text : {std::string(kGuang), std::string("A\r\nB"), std::string()}) {
    const CellDocument cells = RunCells(150, 90, text, colour_at);
    const Text whole = RtfDocumentText(cells);
    EXPECT_EQ(whole.size(), RtfDocumentSize(cells));
    EXPECT_LE(whole.size(), RtfDocumentSizeBound(90, 150, text));
    ChoppySink sink;
    EXPECT_TRUE(WriteRtfDocument(cells, sink));
    EXPECT_TRUE(sink.out == whole);
    // The last entry names the last cell: 150 * 90 + 90 cells, entries 1 on.
    EXPECT_NE(whole.find("\\cf13590\\par\\cf0\\par}"), Text::npos);
  }
}

TEST(RtfDocument, AFailingSinkStopsTheWriter) {
  const CellDocument cells = RunCells(300, 300, kGuang, [](int x, int) { return x; });
  ChoppySink sink(1);
  EXPECT_FALSE(WriteRtfDocument(cells, sink));
  EXPECT_LT(sink.out.size(), RtfDocumentSize(cells));
}

TEST(DocumentState, ResetAndReleaseGiveTheMemoryBack) {
  DocumentState& global = GlobalDocument();
  EXPECT_EQ(&global, &GlobalDocument());
  global.cells = RunCells(100, 10, kGuang, WorkedExampleColour);
  global.document_text = RtfDocumentText(global.cells);
  ReleaseDocumentTexts();
  EXPECT_TRUE(global.document_text.empty());
  EXPECT_LT(global.document_text.capacity(), 100u);
  EXPECT_TRUE(global.cells.colours.empty());
  EXPECT_EQ(global.cells.colours.capacity(), 0u);

  DocumentState state;
  state.cells = RunCells(100, 10, kGuang, WorkedExampleColour);
  state.document_text = RtfDocumentText(state.cells);
  state.Reset();
  EXPECT_TRUE(state.document_text.empty());
  EXPECT_EQ(state.cells.colours.capacity(), 0u);
  EXPECT_TRUE(state.cells.text.empty());
}

}  // namespace
}  // namespace kolvane
