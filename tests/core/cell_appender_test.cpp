#include "convert/cell_appender.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "convert/document_state.h"
#include "convert/text_forms.h"

namespace kolvane {
namespace {

constexpr char kGuang[] = "\xB9\xE2";  // "光" in code page 936
constexpr Colour kWhite = 0xFFFFFFFF;

// What a conversion run does with the document: per row, one cell per column and a
// line-break cell, adding 1 to the counter after every call.
void AppendRun(DocumentState& state, int width, int height, std::string_view text,
               const std::function<Colour(int x, int y)>& colour_at) {
  for (int i = 1; i <= height; ++i) {
    int j = 1;
    for (; j <= width; ++j) {
      AppendCell(state, text, colour_at(j, i));
      ++state.cell_counter;
    }
    AppendCell(state, kLineBreak, colour_at(j, i));
    ++state.cell_counter;
  }
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

TEST(AppendCell, ColourTableEntries) {
  const std::vector<std::pair<Colour, std::string>> cases = {
      {0x00336699, "\\red153\\green102\\blue51;"},
      {0x00000000, "\\red0\\green0\\blue0;"},
      {0x00FFFFFF, "\\red255\\green255\\blue255;"},
      {0xFFFFFFFF, "\\red255\\green255\\blue255;"},
      {0x12345678, "\\red120\\green86\\blue52;"},
  };
  for (const auto& [colour, expected] : cases) {
    DocumentState state;
    AppendCell(state, kGuang, colour);
    EXPECT_EQ(state.color_table_text, expected) << std::hex << colour;
  }
}

TEST(AppendCell, ComponentTextsEqualTheRealQuotientsText) {
  for (std::uint32_t v = 0; v < 256; ++v) {
    const auto whole = static_cast<std::int32_t>(v);
    ASSERT_EQ(RealText((v << 8) / 256.0), IntegerText(whole)) << v;
    ASSERT_EQ(RealText((v << 16) / 65536.0), IntegerText(whole)) << v;
  }
  // Every value of every component, under every top byte pattern that matters.
  for (const Colour top : {0x00000000u, 0xFF000000u, 0x5A000000u}) {
    DocumentState state;
    Text expected;
    for (Colour v = 0; v < 256; ++v) {
      const Colour c = top | v | ((255 - v) << 8) | ((v ^ 0xA5) << 16);
      AppendCell(state, "", c);
      expected += ReferenceEntry(c);
    }
    EXPECT_EQ(state.color_table_text, expected);
  }
}

TEST(AppendCell, FragmentsOfTheFifthCell) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {kGuang, "\\cf5\\'B9\\'E2"},
      {"\r\n", "\\cf5\\par"},
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
    DocumentState state;
    state.cell_counter = 5;
    AppendCell(state, text, 0x00336699);
    EXPECT_EQ(state.body_text, expected) << ReferenceTextPart(text);
    EXPECT_EQ(state.cell_counter, 5);
    EXPECT_EQ(state.color_table_text, "\\red153\\green102\\blue51;");
  }
}

TEST(AppendCell, CounterRuleOfTheFirstCells) {
  DocumentState state;
  AppendCell(state, kGuang, 0);
  EXPECT_EQ(state.body_text, "\\'B9\\'E2");
  EXPECT_EQ(state.cell_counter, 0) << "the caller counts, not the appender";
  ++state.cell_counter;
  AppendCell(state, kGuang, 0);
  EXPECT_EQ(state.body_text, "\\'B9\\'E2\\cf2\\'B9\\'E2");
  EXPECT_EQ(state.cell_counter, 2);
  ++state.cell_counter;
  AppendCell(state, kLineBreak, 0);
  EXPECT_EQ(state.body_text, "\\'B9\\'E2\\cf2\\'B9\\'E2\\cf3\\par");
  EXPECT_EQ(state.color_table_text.size(), 3 * std::string("\\red0\\green0\\blue0;").size());

  DocumentState line_break_first;
  AppendCell(line_break_first, kLineBreak, 0);
  EXPECT_EQ(line_break_first.body_text, "\\par");
}

TEST(AppendCell, FirstCellKeepsWhatTheBodyAlreadyHolds) {
  DocumentState state;
  state.body_text = "\\'41";
  AppendCell(state, kGuang, 0);
  EXPECT_EQ(state.body_text, "\\'41\\'B9\\'E2");
}

TEST(AppendCell, TextPartMatchesEscapingTheSplitLines) {
  const std::string long_line(40, 'x');
  const std::vector<std::string> texts = {
      "",
      kGuang,
      "\xB9\r\n",               // the CR is a trail byte: no line break
      "\xB9\xE2\r\n\xB9",       // a lone lead byte ends the last line
      "0123456789abcdef",       // exactly the stack-escaped length
      "0123456789abcdefg",      // one byte more
      long_line,
      long_line + "\r\n" + long_line + "\r\n\r\n",
      "\r\n\r\n\r\n",
      std::string("\0\r\n\0", 4),
  };
  const std::int32_t counters[] = {0, 1, 7, 123456, std::numeric_limits<std::int32_t>::max(),
                                   std::numeric_limits<std::int32_t>::min()};
  for (const std::string& text : texts) {
    for (const std::int32_t counter : counters) {
      DocumentState state;
      state.cell_counter = counter;
      AppendCell(state, text, 0);
      const std::int32_t effective = counter == 1 ? 2 : counter;
      const Text expected =
          (effective == 0 ? "" : "\\cf" + IntegerText(effective)) + ReferenceTextPart(text);
      EXPECT_EQ(state.body_text, expected) << HexEscape(text) << " at " << counter;
    }
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

TEST(Document, WorkedExampleByteForByte) {
  DocumentState state;
  AppendRun(state, 2, 2, kGuang, WorkedExampleColour);
  EXPECT_EQ(state.cell_counter, 7);
  EXPECT_EQ(BuildDocumentText(state), kWorkedExample);

  FinishDocument(state);
  EXPECT_EQ(state.document_text, kWorkedExample);
  EXPECT_TRUE(state.body_text.empty());
  EXPECT_TRUE(state.color_table_text.empty());
}

TEST(Document, SmallestPictures) {
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
    std::int32_t final_counter;
    std::string document;
  };
  const std::vector<Case> cases = {
      {"height 0", 5, 0, 0, frame_start + generator + "\\cf0\\par}"},
      {"width 0, one row", 0, 1, 1, frame_start + white + generator + "\\par\\cf0\\par}"},
      {"1 x 1", 1, 1, 3,
       frame_start + white + white + generator + "\\'B9\\'E2\\cf2\\par\\cf0\\par}"},
      {"width 0, two rows", 0, 2, 3,
       frame_start + white + white + generator + "\\par\\cf2\\par\\cf0\\par}"},
  };
  // The document of no cells is the frame alone.
  EXPECT_EQ(kDocumentFrameSize, cases[0].document.size());
  for (const Case& c : cases) {
    DocumentState state;
    AppendRun(state, c.width, c.height, kGuang, [](int, int) { return kWhite; });
    EXPECT_EQ(state.cell_counter, c.final_counter) << c.name;
    EXPECT_EQ(BuildDocumentText(state), c.document) << c.name;
    FinishDocument(state);
    EXPECT_EQ(state.document_text, c.document) << c.name;
  }
}

TEST(Document, FinishBuildsInTheBodysMemoryWhenReserved) {
  const auto colour_at = [](int x, int y) {
    return static_cast<Colour>(x * 2654435761u ^ static_cast<Colour>(y) * 40503u);
  };
  for (const bool reserve : {true, false}) {
    DocumentState state;
    if (reserve) ReserveCells(state, 40 * 31, kGuang);
    const std::size_t capacity = state.body_text.capacity();
    const char* const body_memory = state.body_text.data();
    AppendRun(state, 30, 40, kGuang, colour_at);
    EXPECT_EQ(state.cell_counter, 40 * 31 + 1);
    if (reserve) {
      EXPECT_EQ(state.body_text.capacity(), capacity) << "the reserve was too small";
    }
    // Without room to spare the document is built in a text of its own.
    if (!reserve) state.body_text.shrink_to_fit();
    const Text expected = BuildDocumentText(state);
    FinishDocument(state);
    EXPECT_EQ(state.document_text, expected) << "reserve " << reserve;
    if (reserve) {
      EXPECT_EQ(state.document_text.data(), body_memory);
    }
  }
}

TEST(Document, ReserveIsOnlyAHint) {
  DocumentState state;
  state.color_table_text = "\\red1\\green2\\blue3;";
  state.body_text = "\\'41";
  state.cell_counter = 2;
  for (const std::int64_t cells :
       {std::int64_t{0}, std::int64_t{-1}, std::numeric_limits<std::int64_t>::max(),
        std::int64_t{1} << 40}) {
    ReserveCells(state, cells, kGuang);
    EXPECT_EQ(state.color_table_text, "\\red1\\green2\\blue3;");
    EXPECT_EQ(state.body_text, "\\'41");
    EXPECT_EQ(state.cell_counter, 2);
  }
  // A long text with line breaks needs room for its longest fragment.
  const std::string text = std::string(100, 'a') + "\r\n\r\n";
  ReserveCells(state, 3, text);
  const std::size_t capacity = state.body_text.capacity();
  for (int i = 0; i < 3; ++i) AppendCell(state, text, 0);
  EXPECT_EQ(state.body_text.capacity(), capacity);
}

TEST(Document, ResetAndReleaseGiveTheMemoryBack) {
  DocumentState& global = GlobalDocument();
  EXPECT_EQ(&global, &GlobalDocument());
  AppendRun(global, 100, 10, kGuang, WorkedExampleColour);
  FinishDocument(global);
  AppendCell(global, kGuang, 0);
  const std::int32_t counter = global.cell_counter;
  ReleaseDocumentTexts();
  for (const Text* text : {&global.document_text, &global.body_text, &global.color_table_text}) {
    EXPECT_TRUE(text->empty());
    EXPECT_LT(text->capacity(), 100u);
  }
  EXPECT_EQ(global.cell_counter, counter);

  DocumentState state;
  AppendRun(state, 100, 10, kGuang, WorkedExampleColour);
  state.document_text = BuildDocumentText(state);
  state.Reset();
  EXPECT_EQ(state.cell_counter, 0);
  for (const Text* text : {&state.document_text, &state.body_text, &state.color_table_text}) {
    EXPECT_TRUE(text->empty());
    EXPECT_LT(text->capacity(), 100u);
  }
  // A second run after the reset gives the same document as the first.
  AppendRun(state, 2, 2, kGuang, WorkedExampleColour);
  EXPECT_EQ(BuildDocumentText(state), kWorkedExample);
}

}  // namespace
}  // namespace kolvane
