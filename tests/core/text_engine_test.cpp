#include "text/text_engine.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "text/codepage.h"

namespace kolvane {
namespace {

const Text kGuang = "\xB9\xE2";  // "光" in code page 936
constexpr Colour kPaper = 0x00FFFFFF;

FontRecord Song(int height) {
  FontRecord record;
  record.height = height;
  record.face_name = Cp936FromUtf8("宋体");
  return record;
}

struct Pixel {
  int x;
  int y;
  Colour colour;
  bool operator==(const Pixel&) const = default;
};

// The pixels of after that differ from before.
std::vector<Pixel> Changes(const Bitmap& before, const Bitmap& after) {
  std::vector<Pixel> out;
  for (int y = 0; y < after.Height(); ++y) {
    for (int x = 0; x < after.Width(); ++x) {
      if (before.Pixel(x, y) != after.Pixel(x, y)) out.push_back({x, y, after.Pixel(x, y)});
    }
  }
  return out;
}

// Draws text on fresh paper and gives the inked pixels.
std::vector<Pixel> Ink(Font& font, std::string_view text, int x, int y, int size = 64,
                       Colour colour = 0x00123456) {
  Bitmap paper = *Bitmap::Create(size, size, kPaper);
  const Bitmap before = paper;
  font.Draw(paper, paper.Bounds(), x, y, text, colour);
  return Changes(before, paper);
}

TEST(TextEngine, OnePixelSongMeasuresAndDrawsGuangAsOneSolidPixel) {
  auto font = Font::Create(Song(-1));
  EXPECT_EQ(font->Measure(kGuang), (TextExtent{1, 1}));
  EXPECT_EQ(font->Measure(kGuang + kGuang + kGuang), (TextExtent{3, 1}));
  for (const auto& [x, y] : std::vector<std::pair<int, int>>{{0, 0}, {5, 7}, {9, 9}}) {
    SCOPED_TRACE(testing::Message() << x << "," << y);
    EXPECT_EQ(Ink(*font, kGuang, x, y, 10), (std::vector<Pixel>{{x, y, 0x00123456}}));
  }
  // A row of them fills a row of pixels, one per character.
  const auto row = Ink(*font, kGuang + kGuang + kGuang, 2, 4, 10);
  EXPECT_EQ(row, (std::vector<Pixel>{{2, 4, 0x00123456}, {3, 4, 0x00123456}, {4, 4, 0x00123456}}));
}

TEST(TextEngine, ExtentsAreDesignMetricsRoundedToWholePixels) {
  // AR PL UMing: 1024 units per em, ascender 917, descender 155, "光" 1024 wide,
  // Latin letters 512 wide. At 14 px: ascent 12.54 -> 13, descent 2.12 -> 2.
  // FreeType's own size metrics would give 13 + 3.
  auto song14 = Font::Create(Song(-14));
  EXPECT_EQ(song14->Ascent(), 13);
  EXPECT_EQ(song14->Descent(), 2);
  EXPECT_EQ(song14->Measure(kGuang), (TextExtent{14, 15}));
  EXPECT_EQ(song14->Measure("AW"), (TextExtent{14, 15}));
  // A positive height is the cell height: 15 px asks for an em of 14.33 px.
  auto cell15 = Font::Create(Song(15));
  EXPECT_EQ(cell15->Measure(kGuang).cy, 15);
  // The default GUI font: DejaVu Sans at 11 px (2048 units, 1901 + 483), with "光"
  // taken from the CJK fallback face at a full em.
  auto gui = Font::Create(DefaultGuiFontRecord());
  EXPECT_EQ(gui->Measure("").cy, 13);
  EXPECT_EQ(gui->Measure(kGuang).cx, 11);
  EXPECT_FALSE(Ink(*gui, kGuang, 2, 2).empty());
}

TEST(TextEngine, MeasuringIsTheSumOfCharacterAdvancesLineBreaksIncluded) {
  for (int height : {-1, -14, -23}) {
    SCOPED_TRACE(height);
    auto font = Font::Create(Song(height));
    const int a = font->Measure("A").cx;
    const int cr = font->Measure("\r").cx;
    const int lf = font->Measure("\n").cx;
    const int guang = font->Measure(kGuang).cx;
    EXPECT_EQ(font->Measure("").cx, 0);
    EXPECT_EQ(font->Measure("A\r\n" + kGuang).cx, a + cr + lf + guang);
    EXPECT_EQ(font->Measure("\r\n\r\n").cx, 2 * (cr + lf));
    // Same answers once the shaping slots have been cycled through.
    for (int i = 0; i < 40; ++i) font->Measure(std::string(static_cast<std::size_t>(i), 'x'));
    EXPECT_EQ(font->Measure("A\r\n" + kGuang).cx, a + cr + lf + guang);
  }
}

TEST(TextEngine, BytesThatFormNoCharacterMeasureAsTheReplacementCharacter) {
  auto font = Font::Create(Song(-14));
  const int replacement = font->Measure("\xFF").cx;
  EXPECT_EQ(font->Measure("\xB9").cx, replacement);         // lead byte at the end
  EXPECT_EQ(font->Measure("A\xB9").cx, font->Measure("A").cx + replacement);
  EXPECT_EQ(font->Measure(std::string("\0", 1)).cy, 15);    // a zero byte is a character
}

TEST(TextEngine, FourteenPixelGlyphsAreMonochromeLegibleAndInTheirCell) {
  auto font = Font::Create(Song(-14));
  const auto guang = Ink(*font, kGuang, 10, 20);
  const auto w = Ink(*font, "W", 10, 20);
  ASSERT_GT(guang.size(), 25u);
  ASSERT_GT(w.size(), 10u);
  EXPECT_NE(guang.size(), w.size());
  for (const Pixel& p : guang) {
    EXPECT_EQ(p.colour, 0x00123456u);  // no blending with the paper
    EXPECT_GE(p.x, 10);
    EXPECT_LT(p.x, 10 + 14);
    EXPECT_GE(p.y, 20);
    EXPECT_LT(p.y, 20 + 15);
  }
  // Drawing is the same wherever it is done, moved by the offset.
  auto moved = Ink(*font, kGuang, 13, 25);
  ASSERT_EQ(moved.size(), guang.size());
  for (std::size_t i = 0; i < guang.size(); ++i) {
    EXPECT_EQ(moved[i].x, guang[i].x + 3);
    EXPECT_EQ(moved[i].y, guang[i].y + 5);
  }
}

TEST(TextEngine, ColourIsDrawnWithItsLowTwentyFourBits) {
  auto font = Font::Create(Song(-1));
  Bitmap black = *Bitmap::Create(4, 4, 0);
  font->Draw(black, black.Bounds(), 1, 1, kGuang, 0xFFFFFFFF);
  EXPECT_EQ(black.Pixel(1, 1), 0x00FFFFFFu);
  font->Draw(black, black.Bounds(), 2, 2, kGuang, 0x02345678);
  EXPECT_EQ(black.Pixel(2, 2), 0x00345678u);
}

TEST(TextEngine, DrawingStaysInsideTheClipAndReportsWhatItWrote) {
  auto font = Font::Create(Song(-14));
  Bitmap paper = *Bitmap::Create(40, 40, kPaper);
  const Bitmap before = paper;
  const Rect clip{12, 15, 6, 7};
  const Rect written = font->Draw(paper, clip, 8, 10, kGuang + "A", 0);
  const auto changes = Changes(before, paper);
  ASSERT_FALSE(changes.empty());
  Rect bounds;
  for (const Pixel& p : changes) {
    EXPECT_TRUE(clip.Contains(p.x, p.y)) << p.x << "," << p.y;
    bounds = Union(bounds, Rect{p.x, p.y, 1, 1});
  }
  EXPECT_EQ(written, bounds);

  // Far outside, at the ends of the coordinate range: nothing, and no overflow.
  for (const auto& [x, y] : std::vector<std::pair<int, int>>{
           {INT_MAX, 0}, {INT_MIN, 0}, {0, INT_MAX}, {0, INT_MIN}, {INT_MAX - 3, INT_MAX - 3}}) {
    EXPECT_TRUE(font->Draw(paper, paper.Bounds(), x, y, kGuang + kGuang, 0).Empty());
  }
  const std::string long_text(100000, 'W');
  const int w = font->Measure("W").cx;
  EXPECT_EQ(font->Measure(long_text).cx, 100000 * w);
  // Started far to the left, only its last letters reach the paper.
  const Rect tail = font->Draw(paper, paper.Bounds(), -99997 * w, 0, long_text, 0);
  EXPECT_FALSE(tail.Empty());
  EXPECT_LE(tail.Right(), 3 * w);
}

TEST(TextEngine, BoldItalicUnderlineAndStrikeOutChangeTheInk) {
  const auto regular_font = Font::Create(Song(-20));
  const auto regular = Ink(*regular_font, kGuang, 5, 5);

  FontRecord bold = Song(-20);
  bold.weight = 700;
  auto bold_font = Font::Create(bold);
  EXPECT_GT(Ink(*bold_font, kGuang, 5, 5).size(), regular.size());
  EXPECT_EQ(bold_font->Measure(kGuang).cx, regular_font->Measure(kGuang).cx + 1);

  FontRecord italic = Song(-20);
  italic.italic = true;
  auto italic_font = Font::Create(italic);
  EXPECT_NE(Ink(*italic_font, kGuang, 5, 5), regular);
  EXPECT_EQ(italic_font->Measure(kGuang), regular_font->Measure(kGuang));

  // Each line is one full row across the text's width inside the cell.
  for (bool under : {true, false}) {
    SCOPED_TRACE(under ? "underline" : "strike-out");
    FontRecord lined = Song(-20);
    (under ? lined.underline : lined.strike_out) = true;
    auto font = Font::Create(lined);
    const TextExtent extent = font->Measure("   ");  // spaces: only the line shows
    const auto ink = Ink(*font, "   ", 5, 5);
    ASSERT_FALSE(ink.empty());
    EXPECT_EQ(ink.size() % static_cast<std::size_t>(extent.cx), 0u);
    EXPECT_EQ(ink.front().x, 5);
    EXPECT_EQ(ink.back().x, 5 + extent.cx - 1);
    EXPECT_GE(ink.front().y, 5);
    EXPECT_LT(ink.back().y, 5 + extent.cy);
    const int baseline_row = 5 + font->Ascent();
    if (under) {
      EXPECT_GE(ink.front().y, baseline_row - 1);
    } else {
      EXPECT_LT(ink.back().y, baseline_row);
    }
  }
}

TEST(TextEngine, UnknownFaceNamesStillGiveAFont) {
  FontRecord record = Song(-12);
  record.face_name = "No Such Face \xB9\xE2";
  auto font = Font::Create(record);
  EXPECT_GT(font->Measure("W").cx, 0);
  EXPECT_GT(font->Measure("W").cy, 0);
  record.face_name.clear();
  record.height = 0;  // the default size
  EXPECT_GT(Font::Create(record)->Measure("W").cy, 0);
  record.height = INT_MIN;  // limited, not overflowing
  EXPECT_GT(Font::Create(record)->Measure("W").cy, 0);
}

}  // namespace
}  // namespace kolvane
