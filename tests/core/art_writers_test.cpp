#include "convert/art_writers.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

namespace kolvane {
namespace {

constexpr Colour kRed = 0x000000FF;
constexpr Colour kBlue = 0x00FF0000;
constexpr Colour kWhite = 0x00FFFFFF;

// Two rows of three: red red blue / blue blue blue, each row with its white end.
CellDocument TwoRows() {
  CellDocument cells;
  StartDocument(cells, "\xB9\xE2", 3);
  for (const Colour c : {kRed, kRed, kBlue, kWhite, kBlue, kBlue, kBlue, kWhite}) {
    AppendCell(cells, c);
  }
  return cells;
}

std::string Written(bool (*write)(const CellDocument&, std::string_view, ByteSink&),
                    const CellDocument& cells, std::string_view text) {
  std::string out;
  StringSink sink(out);
  EXPECT_TRUE(write(cells, text, sink));
  return out;
}

std::vector<std::string> Matches(const std::string& text, const std::string& pattern) {
  std::vector<std::string> found;
  const std::regex re(pattern);
  for (auto it = std::sregex_iterator(text.begin(), text.end(), re); it != std::sregex_iterator();
       ++it) {
    found.push_back(it->str(1));
  }
  return found;
}

TEST(OneLineText, LineBreaksBecomeSpaces) {
  EXPECT_EQ(OneLineText("a\r\nb\rc\nd\n\re"), "a b c d  e");
  EXPECT_EQ(OneLineText("光"), "光");
}

TEST(WriteHtmlArt, OneBlockPerRowAndOneSpanPerRunOfAColour) {
  const std::string page = Written(WriteHtmlArt, TwoRows(), "<光>\r\n&");
  EXPECT_EQ(page.rfind("<!DOCTYPE html>", 0), 0u);
  EXPECT_NE(page.find("<meta charset=\"utf-8\">"), std::string::npos);
  // The font is set once, for every block; spans carry the colour alone.
  EXPECT_EQ(Matches(page, "font-family:([^;]*)").size(), 1u);
  EXPECT_EQ(Matches(page, "\n<div>(.*?)</div>").size(), 2u);
  EXPECT_EQ(Matches(page, "<span style=\"([^\"]*)\">"),
            (std::vector<std::string>{"color:#ff0000", "color:#0000ff", "color:#0000ff"}));
  // The text as typed, escaped, its line break a space, once per cell.
  const std::string cell = "&lt;光&gt; &amp;";
  EXPECT_NE(page.find("<span style=\"color:#ff0000\">" + cell + cell + "</span>"),
            std::string::npos);
  EXPECT_NE(page.find("<span style=\"color:#0000ff\">" + cell + cell + cell + "</span></div>"),
            std::string::npos);
  EXPECT_EQ(page.find("color:#ffffff"), std::string::npos) << "row ends are not shown";
  EXPECT_NE(page.rfind("</body></html>\n"), std::string::npos);
}

TEST(WriteHtmlArt, EmptyRowsStillTakeALine) {
  CellDocument cells;
  StartDocument(cells, "x", 0);
  AppendCell(cells, kWhite);
  EXPECT_NE(Written(WriteHtmlArt, cells, "x").find("<div><br></div>"), std::string::npos);
}

TEST(WriteAnsiArt, ColourOnlyWhereItChangesAndAResetPerRow) {
  const std::string art = Written(WriteAnsiArt, TwoRows(), "#");
  EXPECT_EQ(art,
            "\x1B[38;2;255;0;0m##\x1B[38;2;0;0;255m#\x1B[0m\n"
            "\x1B[38;2;0;0;255m###\x1B[0m\n");
}

TEST(WriteAnsiArt, TheTopByteOfAColourIsNotPartOfIt) {
  CellDocument cells;
  StartDocument(cells, "x", 2);
  for (const Colour c : {0xFFFFFFFFu, 0x00FFFFFFu, kWhite}) AppendCell(cells, c);
  EXPECT_EQ(Written(WriteAnsiArt, cells, "x"), "\x1B[38;2;255;255;255mxx\x1B[0m\n");
}

TEST(WritePlainArt, TheCharactersAloneARowPerLine) {
  EXPECT_EQ(Written(WritePlainArt, TwoRows(), "光\n"), "光 光 光 \n光 光 光 \n");
}

}  // namespace
}  // namespace kolvane
