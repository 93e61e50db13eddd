#include "canvas/canvas.h"
#include "picture/picture_decoder.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>
#include <vector>

#include "layout/window_definitions.h"
#include "text/codepage.h"
#include "base/system_values.h"
#include "text/text_engine.h"
#include "resources/resources.h"
#include "picture_fixtures.h"

namespace kolvane {
namespace {

const Text kGuang = "\xB9\xE2";  // "光"
constexpr Colour kWhite = 0x00FFFFFF;

// The canvas of that name, built from its window definition inside a parent client
// area of the given size.
std::unique_ptr<Canvas> DefinedCanvas(const WindowDefinition& window, std::string_view name,
                                      int parent_width, int parent_height) {
  const ControlDefinition* control = FindControl(window, name);
  if (control == nullptr) return nullptr;
  return std::make_unique<Canvas>(
      control->canvas,
      CanvasPlacement{{control->left, control->top, control->width, control->height},
                      parent_width, parent_height});
}

std::unique_ptr<Canvas> TextCanvas() {  // 画板1 on its tab page
  return DefinedCanvas(MainWindowDefinition(), "画板1", 808, 568);
}

std::unique_ptr<Canvas> PictureCanvas() {  // 画板2 on window "ban"
  const WindowDefinition& ban = PictureWindowDefinition();
  return DefinedCanvas(ban, "画板2", ClientWidth(ban), ClientHeight(ban));
}

// A canvas of its own settings at (0, 0) of a large parent.
std::unique_ptr<Canvas> PlainCanvas(const CanvasSettings& settings, int width, int height) {
  return std::make_unique<Canvas>(settings, CanvasPlacement{{0, 0, width, height}, 2000, 2000});
}


ByteBlock SolidBmp(int width, int height, Colour colour) {
  return fixtures::Bmp24(width, height, [colour](int, int) { return colour; });
}

// A distinct colour for every pixel of a small picture.
Colour Pattern(int x, int y) { return MakeColour(static_cast<std::uint8_t>(x * 7 + 1),
                                                 static_cast<std::uint8_t>(y * 11 + 2), 0x5A); }

// Every point (x, y) of the bitmap for which pick(x, y) is false has colour
// outside; the rest have inside(x, y).
void ExpectPixels(const Bitmap& bitmap, const std::function<bool(int, int)>& pick,
                  const std::function<Colour(int, int)>& inside, Colour outside) {
  int failures = 0;
  for (int y = 0; y < bitmap.Height() && failures < 5; ++y) {
    for (int x = 0; x < bitmap.Width() && failures < 5; ++x) {
      const Colour expected = pick(x, y) ? inside(x, y) : outside;
      if (bitmap.Pixel(x, y) != expected) {
        ADD_FAILURE() << "pixel " << x << "," << y << " is " << std::hex << bitmap.Pixel(x, y)
                      << ", expected " << expected;
        ++failures;
      }
    }
  }
}

// Writes one-pixel characters in distinct colours over the whole client area.
void Scribble(Canvas& canvas) {
  for (int y = 0; y < canvas.ClientHeight(); ++y) {
    for (int x = 0; x < canvas.ClientWidth(); ++x) {
      canvas.SetTextColour(Pattern(x, y));
      canvas.WriteTextAt(x, y, kGuang);
    }
  }
}

CanvasSettings OnePixelFontSettings(Colour background) {
  CanvasSettings settings;
  settings.background_colour = background;
  settings.font = FontRecord{.height = -1, .face_name = Cp936FromUtf8("宋体")};
  return settings;
}

TEST(Canvas, PictureCanvasShowsTheBuiltInPictureShrunkAndCentred) {
  auto canvas = PictureCanvas();
  ASSERT_TRUE(canvas);
  const Bitmap& bitmap = canvas->PersistentBitmap();
  ASSERT_EQ(bitmap.Width(), 104);
  ASSERT_EQ(bitmap.Height(), 128);

  // 500 x 600 into 104 x 128: t = 0.208, 104 x 124 at (0, 2).
  auto decoded = DecodePicture(resources::builtin_picture());
  ASSERT_TRUE(decoded);
  auto drawable = MakeDrawable(std::move(*decoded));
  ASSERT_TRUE(drawable);
  Bitmap shrunk = *Bitmap::Create(104, 124);
  DrawDecodedPicture(shrunk, *drawable, 0, 0, 104, 124, TargetState{}, shrunk.Bounds());
  ExpectPixels(
      bitmap, [](int, int y) { return y >= 2 && y < 126; },
      [&](int x, int y) { return shrunk.Pixel(x, y - 2); }, kButtonFaceColour);

  // Reads give the bitmap inside the client area and 0xFFFFFFFF around it.
  for (int y = 0; y < 128; ++y) {
    for (int x = 0; x < 104; ++x) ASSERT_EQ(canvas->ReadPixel(x, y), bitmap.Pixel(x, y));
  }
  for (const auto& [x, y] :
       std::vector<std::pair<int, int>>{{104, 0}, {105, 5}, {0, 128}, {-1, 0}, {0, -1}}) {
    EXPECT_EQ(canvas->ReadPixel(x, y), kUnreadableColour) << x << "," << y;
  }
}

TEST(Canvas, LoadedPictureIsReadPixelForPixelWithinTheParentsClientArea) {
  // A Load: the bytes, then the height, then the width.
  auto canvas = PictureCanvas();
  canvas->SetBackgroundPicture(fixtures::Bmp24(30, 20, Pattern));
  canvas->SetHeight(20);
  canvas->SetWidth(30);
  for (int y = 0; y < 20; ++y) {
    for (int x = 0; x < 30; ++x) ASSERT_EQ(canvas->ReadPixel(x, y), Pattern(x, y));
  }
  for (int y : {0, 19}) {
    EXPECT_EQ(canvas->ReadPixel(30, y), kUnreadableColour);
    EXPECT_EQ(canvas->ReadPixel(31, y), kUnreadableColour);
  }
  EXPECT_EQ(canvas->ReadPixel(0, 20), kUnreadableColour);

  // Larger than the 250 x 210 client area of "ban": the part beyond it is not shown.
  canvas->SetBackgroundPicture(fixtures::Bmp24(300, 240, Pattern));
  canvas->SetHeight(240);
  canvas->SetWidth(300);
  EXPECT_EQ(canvas->ReadPixel(249, 209), Pattern(249, 209));
  EXPECT_EQ(canvas->PersistentBitmap().Pixel(250, 10), Pattern(250, 10));
  EXPECT_EQ(canvas->ReadPixel(250, 10), kUnreadableColour);
  EXPECT_EQ(canvas->ReadPixel(10, 210), kUnreadableColour);

  // Moving the canvas or changing the parent moves that boundary.
  canvas->Move(-10, -5);
  EXPECT_EQ(canvas->ReadPixel(9, 20), kUnreadableColour);
  EXPECT_EQ(canvas->ReadPixel(10, 5), Pattern(10, 5));
  EXPECT_EQ(canvas->ReadPixel(259, 214), Pattern(259, 214));
  EXPECT_EQ(canvas->ReadPixel(260, 100), kUnreadableColour);
  canvas->Move(0, 0);
  canvas->SetParentClientSize(300, 240);
  EXPECT_EQ(canvas->ReadPixel(299, 239), Pattern(299, 239));
  canvas->SetParentClientSize(0, 0);
  EXPECT_EQ(canvas->ReadPixel(0, 0), kUnreadableColour);
}

TEST(Canvas, ResizingKeepsTheTopLeftOfTheDrawing) {
  auto canvas = PlainCanvas(OnePixelFontSettings(0x00336699), 100, 100);
  Scribble(*canvas);
  canvas->SetWidth(50);
  canvas->SetHeight(200);
  canvas->SetWidth(100);
  canvas->SetHeight(100);
  ExpectPixels(canvas->PersistentBitmap(), [](int x, int y) { return x < 50 && y < 100; },
               Pattern, 0x00336699);
}

TEST(Canvas, NewPictureOrBackgroundColourLosesTheDrawing) {
  auto canvas = PlainCanvas(OnePixelFontSettings(kWhite), 20, 10);
  const auto drawn = [&] { return canvas->PersistentBitmap().Pixel(3, 4) == 0x00010203; };
  const auto write = [&] {
    canvas->SetTextColour(0x00010203);
    canvas->WriteTextAt(3, 4, kGuang);
  };
  write();
  canvas->SetBackgroundColour(kWhite);  // unchanged: nothing happens
  EXPECT_TRUE(drawn());
  canvas->SetBackgroundColour(kSystemColourMarker);
  EXPECT_EQ(canvas->BackgroundColour(), kSystemColourMarker);
  ExpectPixels(canvas->PersistentBitmap(), [](int, int) { return false; }, Pattern,
               kButtonFaceColour);
  write();
  canvas->SetBackgroundPicture({});
  EXPECT_FALSE(drawn());
  write();
  canvas->SetBackgroundPicture(SolidBmp(2, 2, 0x00445566));  // placement 0
  EXPECT_FALSE(drawn());
  EXPECT_EQ(canvas->PersistentBitmap().Pixel(1, 1), 0x00445566u);
  EXPECT_EQ(canvas->PersistentBitmap().Pixel(2, 2), kButtonFaceColour);
}

TEST(Canvas, CentredPictureIsPlacedAnewOnEveryResize) {
  auto canvas = PictureCanvas();
  canvas->SetBackgroundPicture(fixtures::Bmp24(40, 30, Pattern));
  canvas->SetTextColour(0);
  canvas->WriteTextAt(0, 0, "W");  // lost on the next resize
  canvas->SetHeight(30);  // 104 x 30: centred at natural size
  ExpectPixels(
      canvas->PersistentBitmap(), [](int x, int) { return x >= 32 && x < 72; },
      [](int x, int y) { return Pattern(x - 32, y); }, kButtonFaceColour);
  canvas->SetWidth(40);
  ExpectPixels(canvas->PersistentBitmap(), [](int, int) { return true; }, Pattern, 0);
}

TEST(Canvas, BytesThatAreNotAPictureAreDiscarded) {
  auto canvas = PictureCanvas();
  const std::string text = "not a picture at all";
  canvas->SetBackgroundPicture(std::span(reinterpret_cast<const std::uint8_t*>(text.data()),
                                         text.size()));
  EXPECT_TRUE(canvas->BackgroundPicture().empty());
  EXPECT_EQ(canvas->RefusedPictureReason(), PictureError::kUnknownFormat);
  ExpectPixels(canvas->PersistentBitmap(), [](int, int) { return false; }, Pattern,
               kButtonFaceColour);
  canvas->SetHeight(50);
  canvas->SetWidth(60);
  EXPECT_EQ(canvas->Width(), 60);
  EXPECT_EQ(canvas->Height(), 50);
  ExpectPixels(canvas->PersistentBitmap(), [](int, int) { return false; }, Pattern,
               kButtonFaceColour);
  EXPECT_EQ(canvas->ReadPixel(59, 49), kButtonFaceColour);

  // A picture's own bytes handed back to it are copied safely.
  canvas->SetBackgroundPicture(SolidBmp(3, 3, 0x00102030));
  EXPECT_EQ(canvas->RefusedPictureReason(), std::nullopt);
  canvas->SetBackgroundPicture(canvas->BackgroundPicture());
  EXPECT_EQ(canvas->BackgroundPicture().size(), SolidBmp(3, 3, 0).size());
}

TEST(Canvas, SizesAreClampedAndAZeroWidthCanvasReadsNothing) {
  auto canvas = PictureCanvas();
  canvas->SetWidth(40000);
  EXPECT_EQ(canvas->Width(), kMaxControlSize);
  EXPECT_EQ(canvas->Height(), 128);
  canvas->SetHeight(-5);
  EXPECT_EQ(canvas->Height(), 0);
  EXPECT_EQ(canvas->PersistentBitmap().Height(), 1);

  canvas->SetHeight(30);
  canvas->SetWidth(0);
  EXPECT_EQ(canvas->Width(), 0);
  EXPECT_EQ(canvas->PersistentBitmap().Width(), 1);
  for (int y = -1; y <= 30; ++y) {
    for (int x = -1; x <= 1; ++x) EXPECT_EQ(canvas->ReadPixel(x, y), kUnreadableColour);
  }

  // A frame larger than the window leaves no client area at all.
  auto framed = TextCanvas();
  EXPECT_EQ(framed->ClientWidth(), 766);
  EXPECT_EQ(framed->ClientHeight(), 542);
  framed->SetWidth(1);
  EXPECT_EQ(framed->ClientWidth(), 0);
  EXPECT_EQ(framed->ReadPixel(0, 0), kUnreadableColour);
}

TEST(Canvas, ACanvasTooLargeForOneBitmapKeepsWhatItsParentCanShow) {
  // 32627 x 32627 pixels cannot be made; the part inside "ban" still shows and reads.
  auto canvas = PictureCanvas();
  canvas->SetBackgroundPicture({});
  canvas->SetHeight(40000);
  canvas->SetWidth(40000);
  EXPECT_EQ(canvas->ClientWidth(), kMaxControlSize);
  EXPECT_EQ(canvas->PersistentBitmap().Width(), 250);
  EXPECT_EQ(canvas->PersistentBitmap().Height(), 210);
  EXPECT_EQ(canvas->ReadPixel(249, 209), kButtonFaceColour);
  EXPECT_EQ(canvas->ReadPixel(250, 209), kUnreadableColour);
  canvas->SetParentClientSize(40000, 40000);
  EXPECT_EQ(canvas->ReadPixel(300, 300), kUnreadableColour);
  canvas->WriteTextAt(30000, 30000, "W");  // beyond the bitmap: nothing, no fault
  canvas->ClearSurface();
  EXPECT_EQ(canvas->ReadPixel(0, 0), kButtonFaceColour);
}

TEST(Canvas, OnePixelFontWritesExactlyOnePixel) {
  auto canvas = TextCanvas();
  ASSERT_EQ(canvas->MeasureTextWidth(kGuang), 1);
  ASSERT_EQ(canvas->MeasureTextHeight(kGuang), 1);
  const Bitmap blank = canvas->PersistentBitmap();
  canvas->SetTextColour(0x00123456);
  canvas->WriteTextAt(0, 0, kGuang);
  canvas->WriteTextAt(765, 541, kGuang);
  canvas->WriteTextAt(766, 0, kGuang);  // outside the 766 x 542 client area
  canvas->WriteTextAt(0, 542, kGuang);
  canvas->WriteTextAt(-1, 0, kGuang);
  ExpectPixels(
      canvas->PersistentBitmap(),
      [](int x, int y) { return (x == 0 && y == 0) || (x == 765 && y == 541); },
      [](int, int) { return 0x00123456; }, kWhite);
  EXPECT_EQ(canvas->ReadPixel(0, 0), 0x00123456u);

  // 0xFFFFFFFF is kept as the text colour and draws white.
  canvas->SetTextColour(kUnreadableColour);
  EXPECT_EQ(canvas->TextColour(), kUnreadableColour);
  canvas->WriteTextAt(0, 0, kGuang);
  EXPECT_EQ(canvas->ReadPixel(0, 0), kWhite);
  canvas->WriteTextAt(765, 541, "");  // no text, nothing drawn
  EXPECT_EQ(canvas->ReadPixel(765, 541), 0x00123456u);
  EXPECT_EQ(canvas->MeasureTextWidth(""), 0);
  EXPECT_EQ(canvas->MeasureTextHeight(""), 0);

  canvas->ClearSurface();
  EXPECT_EQ(canvas->PersistentBitmap().Pixels(), blank.Pixels());
  for (int y = 0; y < 542; y += 7) {
    for (int x = 0; x < 766; x += 5) ASSERT_EQ(canvas->ReadPixel(x, y), kWhite);
  }
}

TEST(Canvas, LinesBreakAtCrLfAndFollowTwoPixelsApart) {
  CanvasSettings settings = OnePixelFontSettings(kWhite);
  settings.font->height = -14;
  auto reference = Font::Create(*settings.font);
  const int step = reference->Measure("W").cy + 2;
  ASSERT_EQ(step, 17);

  struct Case {
    const char* name;
    std::string text;
    std::vector<std::pair<std::string, int>> lines;  // text and its line number
  };
  const std::vector<Case> cases = {
      {"CR LF", "A\r\nB", {{"A", 0}, {"B", 1}}},
      {"CR", "A\rB", {{"A", 0}, {"B", 1}}},
      {"LF LF is one break", "A\n\nB", {{"A", 0}, {"B", 1}}},
      {"LF CR is two", "A\n\rB", {{"A", 0}, {"B", 2}}},
      {"empty middle line", "A\r\n\r\nB", {{"A", 0}, {"B", 2}}},
      {"leading break", "\r\nAW", {{"AW", 1}}},
      {"trailing break", "A\r\n", {{"A", 0}}},
      {"three lines", "W\rA\nB\r\n", {{"W", 0}, {"A", 1}, {"B", 2}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto canvas = PlainCanvas(settings, 80, 80);
    canvas->SetTextColour(0x00204060);
    canvas->WriteTextAt(5, 3, c.text);
    Bitmap expected = *Bitmap::Create(80, 80, kWhite);
    for (const auto& [text, line] : c.lines) {
      reference->Draw(expected, expected.Bounds(), 5, 3 + line * step, text, 0x00204060);
    }
    EXPECT_EQ(canvas->PersistentBitmap().Pixels(), expected.Pixels());
  }
}

TEST(Canvas, MeasuringTakesLineBreaksAsCharacters) {
  CanvasSettings settings = OnePixelFontSettings(kWhite);
  settings.font->height = -14;
  auto canvas = PlainCanvas(settings, 10, 10);
  const int a = canvas->MeasureTextWidth("A");
  const int b = canvas->MeasureTextWidth("B");
  const int breaks = canvas->MeasureTextWidth("\r\n");
  EXPECT_GT(breaks, 0);
  EXPECT_EQ(canvas->MeasureTextWidth("A\r\nB"), a + breaks + b);
  EXPECT_NE(canvas->MeasureTextWidth("A\r\nB"), a + b);
  EXPECT_EQ(canvas->MeasureTextHeight("A\r\nB"), canvas->MeasureTextHeight("A"));
}

TEST(Canvas, OpaqueTextBackgroundFillsTheCharacterCell) {
  CanvasSettings settings = OnePixelFontSettings(kWhite);
  settings.font->height = -14;
  settings.text_background_colour = 0x00ABCDEF;
  auto canvas = PlainCanvas(settings, 40, 40);
  canvas->WriteTextAt(2, 3, " ");
  const int cx = canvas->MeasureTextWidth(" ");
  ExpectPixels(
      canvas->PersistentBitmap(),
      [cx](int x, int y) { return x >= 2 && x < 2 + cx && y >= 3 && y < 3 + 15; },
      [](int, int) { return 0x00ABCDEF; }, kWhite);
}

struct PlacementCase {
  const char* name;
  int area_width;
  int area_height;
  int picture_width;
  int picture_height;
  Rect covered;
};

TEST(Canvas, CentredPlacementShrinksByOneFactorAndCentresWithIntegerHalves) {
  const std::vector<PlacementCase> cases = {
      {"fits", 20, 10, 10, 6, {5, 2, 10, 6}},
      {"fits, odd margins", 20, 10, 11, 7, {4, 1, 11, 7}},
      {"exact", 20, 10, 20, 10, {0, 0, 20, 10}},
      {"too wide", 20, 10, 40, 10, {0, 2, 20, 5}},
      {"too tall", 20, 10, 10, 40, {9, 0, 2, 10}},
      {"both too large", 20, 10, 50, 30, {2, 0, 16, 10}},
      {"shrunk, odd side margins", 20, 10, 30, 20, {2, 0, 15, 10}},
      {"shrunk, odd top margins", 10, 20, 20, 27, {0, 3, 10, 13}},
      {"built-in proportions", 104, 128, 500, 600, {0, 2, 104, 124}},
  };
  for (const PlacementCase& c : cases) {
    SCOPED_TRACE(c.name);
    CanvasSettings settings;
    settings.background_colour = 0x00112233;
    settings.picture_placement = PicturePlacement::kCentredShrunk;
    const ByteBlock picture = SolidBmp(c.picture_width, c.picture_height, 0x00C0FFEE);
    settings.background_picture = picture;
    auto canvas = PlainCanvas(settings, c.area_width, c.area_height);
    ExpectPixels(
        canvas->PersistentBitmap(), [&](int x, int y) { return c.covered.Contains(x, y); },
        [](int, int) { return 0x00C0FFEE; }, 0x00112233);
  }
}

TEST(Canvas, TopLeftAndTiledPlacementsDrawAtNaturalSize) {
  CanvasSettings settings;
  settings.background_colour = 0x00112233;
  const ByteBlock picture = fixtures::Bmp24(3, 2, Pattern);
  settings.background_picture = picture;

  settings.picture_placement = PicturePlacement::kTopLeft;
  auto top_left = PlainCanvas(settings, 10, 5);
  ExpectPixels(top_left->PersistentBitmap(), [](int x, int y) { return x < 3 && y < 2; },
               Pattern, 0x00112233);

  settings.picture_placement = PicturePlacement::kTiled;
  auto tiled = PlainCanvas(settings, 10, 5);
  ExpectPixels(tiled->PersistentBitmap(), [](int, int) { return true; },
               [](int x, int y) { return Pattern(x % 3, y % 2); }, 0);
  // A clear repaints the tiles over any drawing.
  tiled->SetTextColour(0);
  tiled->WriteTextAt(0, 0, "W");
  tiled->ClearSurface();
  ExpectPixels(tiled->PersistentBitmap(), [](int, int) { return true; },
               [](int x, int y) { return Pattern(x % 3, y % 2); }, 0);
}

TEST(Canvas, APictureThatCannotBeDrawnLeavesTheBackground) {
  // An 8-bit PCX picture of three planes decodes, but no bitmap can be made of it.
  ByteBlock pcx(128, 0);
  pcx[0] = 0x0A;  // manufacturer
  pcx[1] = 5;     // version
  pcx[2] = 1;     // run-length encoding
  pcx[3] = 8;     // bits per pixel
  pcx[8] = 1;     // right: 2 pixels wide
  pcx[65] = 3;    // planes
  pcx[66] = 2;    // bytes per line
  for (int i = 0; i < 6; ++i) pcx.push_back(0x07);
  CanvasSettings settings;
  settings.background_colour = 0x00112233;
  settings.background_picture = pcx;
  for (PicturePlacement placement : {PicturePlacement::kTopLeft, PicturePlacement::kTiled,
                                     PicturePlacement::kCentredShrunk}) {
    settings.picture_placement = placement;
    auto canvas = PlainCanvas(settings, 6, 4);
    EXPECT_FALSE(canvas->BackgroundPicture().empty());  // decoded, so kept
    EXPECT_EQ(canvas->RefusedPictureReason(), std::nullopt);
    ExpectPixels(canvas->PersistentBitmap(), [](int, int) { return false; }, Pattern,
                 0x00112233);
  }
}

TEST(Canvas, ArbitraryTextChangesOnlyWhatTheDirtyRectangleHolds) {
  // Typed text is any bytes: lone lead bytes, zero bytes, runs of breaks.
  std::mt19937 random(1234);
  for (int height : {-1, -14, 9}) {
    SCOPED_TRACE(height);
    CanvasSettings settings = OnePixelFontSettings(kWhite);
    settings.font->height = height;
    auto canvas = PlainCanvas(settings, 60, 50);
    for (int round = 0; round < 200; ++round) {
      std::string text(random() % 12, '\0');
      for (char& c : text) {
        const unsigned pick = random() % 8;
        c = static_cast<char>(pick == 0 ? '\r' : pick == 1 ? '\n' : random() % 256);
      }
      const int x = static_cast<int>(random() % 90) - 20;
      const int y = static_cast<int>(random() % 80) - 20;
      canvas->TakeDirtyRect();
      const Bitmap before = canvas->PersistentBitmap();
      canvas->SetTextColour(static_cast<Colour>(random()));
      canvas->WriteTextAt(x, y, text);
      const Rect dirty = canvas->TakeDirtyRect();
      const Bitmap& after = canvas->PersistentBitmap();
      for (int py = 0; py < after.Height(); ++py) {
        for (int px = 0; px < after.Width(); ++px) {
          if (before.Pixel(px, py) != after.Pixel(px, py)) {
            ASSERT_TRUE(dirty.Contains(px, py)) << px << "," << py << " for " << text.size();
          }
        }
      }
      EXPECT_GE(canvas->MeasureTextWidth(text), 0);
    }
  }
}

TEST(Canvas, ChangesAreCollectedUntilTaken) {
  auto canvas = TextCanvas();
  int calls = 0;
  Rect first;
  canvas->on_changed = [&](const Rect& rect) {
    ++calls;
    first = rect;
  };
  int resizes = 0;
  canvas->on_resized = [&] { ++resizes; };
  EXPECT_EQ(canvas->TakeDirtyRect(), (Rect{0, 0, 766, 542}));  // the first bitmap

  canvas->WriteTextAt(10, 20, kGuang);
  canvas->WriteTextAt(30, 5, kGuang);
  canvas->WriteTextAt(900, 5, kGuang);  // outside: no change
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(first, (Rect{10, 20, 1, 1}));
  EXPECT_EQ(canvas->TakeDirtyRect(), (Rect{10, 5, 21, 16}));
  EXPECT_TRUE(canvas->TakeDirtyRect().Empty());

  canvas->WriteTextAt(1, 1, kGuang);
  EXPECT_EQ(calls, 2);
  canvas->ClearSurface();
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(canvas->TakeDirtyRect(), (Rect{0, 0, 766, 542}));

  canvas->SetHeight(544);  // unchanged
  EXPECT_EQ(resizes, 0);
  canvas->SetHeight(100);
  EXPECT_EQ(resizes, 1);
  EXPECT_EQ(canvas->TakeDirtyRect(), (Rect{0, 0, 766, 98}));
}

}  // namespace
}  // namespace kolvane
