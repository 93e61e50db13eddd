#include "convert/conversion_run.h"
#include "convert/rtf_document.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "layout/window_definitions.h"
#include "layout/program_canvases.h"
#include "picture_fixtures.h"

namespace kolvane {
namespace {

const Text kGuang = "\xB9\xE2";  // "光" in code page 936
constexpr Colour kBlack = 0x00000000;
constexpr Colour kWhite = 0x00FFFFFF;
constexpr Colour kPictureColour = 0x00336699;

const Text kHeaderLine =
    "{\\rtf1\\ansi\\ansicpg936\\deff0\\deflang1033\\deflangfe2052"
    "{\\fonttbl{\\f0\\fmodern\\fprq6\\fcharset134 \\'cb\\'ce\\'cc\\'e5;}}\r\n";
const Text kGeneratorStart =
    "}\r\n{\\*\\generator Msftedit 5.41.15.1507;}\\viewkind4\\uc1\\pard\\cf1\\lang2052\\f0\\fs20";
const Text kTail = "\\cf0\\par}";
const Text kWhiteEntry = "\\red255\\green255\\blue255;";

Text Document(const Text& entries, const Text& body) {
  return kHeaderLine + "{\\colortbl ;" + entries + kGeneratorStart + body + kTail;
}

Text Repeat(const Text& text, int times) {
  Text out;
  for (int n = 0; n < times; ++n) out += text;
  return out;
}

Text Entry(Colour c) {
  return "\\red" + std::to_string(c & 0xFF) + "\\green" + std::to_string((c >> 8) & 0xFF) +
         "\\blue" + std::to_string((c >> 16) & 0xFF) + ";";
}

// The colour-table entries of a document, in order.
std::vector<Text> Entries(const Text& document) {
  const std::size_t begin = document.find("{\\colortbl ;") + 12;
  const std::size_t end = document.find("}\r\n{\\*\\generator");
  std::vector<Text> entries;
  for (std::size_t at = begin; at < end;) {
    const std::size_t semicolon = document.find(';', at);
    entries.push_back(document.substr(at, semicolon + 1 - at));
    at = semicolon + 1;
  }
  return entries;
}

// Everything the run reports, in order.
class RecordingSinks : public RunSinks {
 public:
  void SetProgressMaximum(int maximum) override {
    events.push_back("max " + std::to_string(maximum));
  }
  void SetProgress(int row) override { events.push_back("pos " + std::to_string(row)); }
  void RowDone() override {
    events.push_back("row");
    if (on_row_done) on_row_done();
  }
  void WriteDocument(const Text& document) override {
    events.push_back("doc");
    documents.push_back(document);
  }

  std::vector<std::string> events;
  std::vector<Text> documents;
  std::function<void()> on_row_done;
};


// 画板2 after a Load of a 2 x 2 picture showing kPictureColour at (1, 1).
std::unique_ptr<Canvas> WorkedExamplePicture() {
  auto canvas = MakePictureCanvas();
  const ByteBlock bmp =
      fixtures::Bmp24(2, 2, [](int x, int y) { return x == 1 && y == 1 ? kPictureColour : kBlack; });
  canvas->SetBackgroundPicture(bmp);
  canvas->SetHeight(2);
  canvas->SetWidth(2);
  return canvas;
}

// 画板1 on black, so that white text shows.
std::unique_ptr<Canvas> BlackTextArtCanvas() {
  auto canvas = MakeTextArtCanvas();
  canvas->SetBackgroundColour(kBlack);
  return canvas;
}

// Every pixel of bitmap has colour expected(x, y); reports the first few that do not.
void ExpectBitmap(const Bitmap& bitmap, const std::function<Colour(int, int)>& expected) {
  int failures = 0;
  for (int y = 0; y < bitmap.Height() && failures < 5; ++y) {
    for (int x = 0; x < bitmap.Width() && failures < 5; ++x) {
      if (bitmap.Pixel(x, y) != expected(x, y)) {
        ADD_FAILURE() << "pixel " << x << "," << y << " is " << std::hex << bitmap.Pixel(x, y)
                      << ", expected " << expected(x, y);
        ++failures;
      }
    }
  }
}

TEST(ProgramCanvases, GeometryOfTheWindows) {
  auto text_art = MakeTextArtCanvas();
  ASSERT_TRUE(text_art);
  EXPECT_EQ(text_art->ClientWidth(), 766);
  EXPECT_EQ(text_art->ClientHeight(), 542);
  EXPECT_EQ(text_art->Placement().parent_client_width, 808);
  EXPECT_EQ(text_art->Placement().parent_client_height, 568);
  EXPECT_EQ(text_art->MeasureTextWidth(kGuang), 1);
  EXPECT_EQ(text_art->MeasureTextHeight(kGuang), 1);

  auto picture = MakePictureCanvas();
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->Width(), 104);
  EXPECT_EQ(picture->Height(), 128);
  EXPECT_EQ(picture->Placement().parent_client_width, 250);
  EXPECT_EQ(picture->Placement().parent_client_height, 210);

  EXPECT_EQ(MakeDefinedCanvas(MainWindowDefinition(), control_name::kText), nullptr);
  EXPECT_EQ(MakeDefinedCanvas(MainWindowDefinition(), "no such control"), nullptr);
}

TEST(RunConversion, WorkedExample) {
  auto picture = WorkedExamplePicture();
  ASSERT_EQ(picture->ReadPixel(1, 1), kPictureColour);
  auto text_art = BlackTextArtCanvas();
  DocumentState state;
  RecordingSinks sinks;

  EXPECT_EQ(RunConversion(kGuang, *picture, text_art.get(), state, sinks), RunResult::kDone);

  const Text expected =
      "{\\rtf1\\ansi\\ansicpg936\\deff0\\deflang1033\\deflangfe2052"
      "{\\fonttbl{\\f0\\fmodern\\fprq6\\fcharset134 \\'cb\\'ce\\'cc\\'e5;}}\r\n"
      "{\\colortbl ;\\red153\\green102\\blue51;\\red255\\green255\\blue255;"
      "\\red255\\green255\\blue255;\\red255\\green255\\blue255;\\red255\\green255\\blue255;"
      "\\red255\\green255\\blue255;}\r\n"
      "{\\*\\generator Msftedit 5.41.15.1507;}\\viewkind4\\uc1\\pard\\cf1\\lang2052\\f0\\fs20"
      "\\'B9\\'E2\\cf2\\'B9\\'E2\\cf3\\par\\cf4\\'B9\\'E2\\cf5\\'B9\\'E2\\cf6\\par\\cf0\\par}";
  EXPECT_EQ(state.document_text, expected);
  EXPECT_EQ(state.cells.colours.size(), 6u);
  EXPECT_EQ(sinks.events,
            (std::vector<std::string>{"max 2", "pos 1", "row", "pos 2", "row", "doc"}));
  ASSERT_EQ(sinks.documents.size(), 1u);
  EXPECT_EQ(sinks.documents[0], expected);

  // tw = th = 1: the four cells are the four top-left pixels; the row ends draw nothing.
  ExpectBitmap(text_art->PersistentBitmap(), [](int x, int y) {
    if (x == 0 && y == 0) return kPictureColour;
    return x < 2 && y < 2 ? kWhite : kBlack;
  });
}

TEST(RunConversion, DegenerateSizes) {
  struct Case {
    const char* name;
    int width;
    int height;
    Text entries;
    Text body;
    std::size_t cells;
    std::vector<std::string> events;
  };
  const std::vector<Case> cases = {
      {"1 x 1", 1, 1, Repeat(kWhiteEntry, 2), "\\'B9\\'E2\\cf2\\par", 2,
       {"max 1", "pos 1", "row", "doc"}},
      {"1 high", 2, 1, Repeat(kWhiteEntry, 3), "\\'B9\\'E2\\cf2\\'B9\\'E2\\cf3\\par", 3,
       {"max 1", "pos 1", "row", "doc"}},
      {"width 0", 0, 2, Repeat(kWhiteEntry, 2), "\\par\\cf2\\par", 2,
       {"max 2", "pos 1", "row", "pos 2", "row", "doc"}},
      {"height 0", 5, 0, "", "", 0, {"max 0", "doc"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto picture = MakePictureCanvas();
    picture->SetHeight(c.height);
    picture->SetWidth(c.width);
    auto text_art = MakeTextArtCanvas();
    DocumentState state;
    state.document_text = "last run";
    StartDocument(state.cells, "last text", 3);
    AppendCell(state.cells, kBlack);
    RecordingSinks sinks;

    EXPECT_EQ(RunConversion(kGuang, *picture, text_art.get(), state, sinks), RunResult::kDone);
    EXPECT_EQ(state.document_text, Document(c.entries, c.body));
    EXPECT_EQ(state.cells.colours.size(), c.cells);
    EXPECT_EQ(sinks.events, c.events);
  }
}

TEST(RunConversion, BuiltInPictureIsReadAsTheCanvasShowsIt) {
  auto picture = MakePictureCanvas();
  auto text_art = MakeTextArtCanvas();
  DocumentState state;
  RecordingSinks sinks;
  ASSERT_EQ(RunConversion(kGuang, *picture, text_art.get(), state, sinks), RunResult::kDone);

  constexpr int kWidth = 104;
  constexpr int kHeight = 128;
  EXPECT_EQ(state.cells.colours.size(), std::size_t{kHeight * (kWidth + 1)});
  const std::vector<Text> entries = Entries(state.document_text);
  ASSERT_EQ(entries.size(), static_cast<std::size_t>(kHeight * (kWidth + 1)));
  const auto entry_at = [&entries](int j, int i) {
    return entries[static_cast<std::size_t>((i - 1) * (kWidth + 1) + (j - 1))];
  };
  for (int i = 1; i <= kHeight; ++i) {
    for (int j = 1; j <= kWidth + 1; ++j) {
      ASSERT_EQ(entry_at(j, i), Entry(picture->ReadPixel(j, i))) << "cell " << j << "," << i;
    }
  }
  const Text button_face = "\\red240\\green240\\blue240;";
  for (const int i : {1, 126, 127}) EXPECT_EQ(entry_at(1, i), button_face) << "row " << i;
  EXPECT_NE(entry_at(50, 60), button_face);
  EXPECT_NE(entry_at(50, 60), kWhiteEntry);
  for (int j = 1; j <= kWidth + 1; ++j) EXPECT_EQ(entry_at(j, kHeight), kWhiteEntry);
  for (int i = 1; i <= kHeight; ++i) {
    EXPECT_EQ(entry_at(kWidth, i), kWhiteEntry);
    EXPECT_EQ(entry_at(kWidth + 1, i), kWhiteEntry);
  }

  // The cell for (j, i) is drawn at (j - 1, i - 1) of 画板1.
  ExpectBitmap(text_art->PersistentBitmap(), [&picture](int x, int y) {
    if (x >= kWidth || y >= kHeight) return kWhite;
    return picture->ReadPixel(x + 1, y + 1) & kWhite;
  });
}

TEST(RunConversion, RepeatedRunsDrawOverTheCanvasAndClearWipesOnlyIt) {
  auto picture = WorkedExamplePicture();
  auto text_art = BlackTextArtCanvas();
  DocumentState state;
  RecordingSinks sinks;
  ASSERT_EQ(RunConversion(kGuang, *picture, text_art.get(), state, sinks), RunResult::kDone);
  const Text first_document = state.document_text;
  const Bitmap first_drawing = text_art->PersistentBitmap();

  // One mark where the run draws, one where it does not.
  constexpr Colour kMark = 0x00123456;
  text_art->SetTextColour(kMark);
  text_art->WriteTextAt(1, 1, kGuang);
  text_art->WriteTextAt(500, 300, kGuang);
  ASSERT_EQ(RunConversion(kGuang, *picture, text_art.get(), state, sinks), RunResult::kDone);
  EXPECT_EQ(state.document_text, first_document);
  EXPECT_EQ(state.cells.colours.size(), 6u);
  ExpectBitmap(text_art->PersistentBitmap(), [&first_drawing](int x, int y) {
    return x == 500 && y == 300 ? kMark : first_drawing.Pixel(x, y);
  });

  const std::vector<Colour> cells = state.cells.colours;
  text_art->ClearSurface();
  ExpectBitmap(text_art->PersistentBitmap(), [](int, int) { return kBlack; });
  EXPECT_EQ(state.document_text, first_document);
  EXPECT_EQ(state.cells.colours, cells);
  EXPECT_EQ(picture->ReadPixel(1, 1), kPictureColour);

  ASSERT_EQ(RunConversion(kGuang, *picture, text_art.get(), state, sinks), RunResult::kDone);
  EXPECT_EQ(state.document_text, first_document);
  EXPECT_EQ(text_art->PersistentBitmap().Pixels(), first_drawing.Pixels());
}

TEST(RunConversion, ClearGivesTheDefinedWhiteCanvas) {
  auto text_art = MakeTextArtCanvas();
  text_art->SetTextColour(kBlack);
  text_art->WriteTextAt(0, 0, kGuang);
  text_art->ClearSurface();
  text_art->ClearSurface();
  ExpectBitmap(text_art->PersistentBitmap(), [](int, int) { return kWhite; });
}

TEST(RunConversion, EmptyTextAppendsOnlyColourSwitches) {
  auto picture = WorkedExamplePicture();
  auto text_art = BlackTextArtCanvas();
  DocumentState state;
  RecordingSinks sinks;
  ASSERT_EQ(RunConversion("", *picture, text_art.get(), state, sinks), RunResult::kDone);
  EXPECT_EQ(state.document_text, Document(Entry(kPictureColour) + Repeat(kWhiteEntry, 5),
                                          "\\cf2\\cf3\\par\\cf4\\cf5\\cf6\\par"));
  EXPECT_EQ(state.cells.colours.size(), 6u);
  ExpectBitmap(text_art->PersistentBitmap(), [](int, int) { return kBlack; });
}

TEST(RunConversion, TextWithLineBreakDrawsTwoLinesPerCell) {
  const Text text = kGuang + "\r\n" + kGuang;
  auto picture = WorkedExamplePicture();
  auto text_art = BlackTextArtCanvas();
  DocumentState state;
  RecordingSinks sinks;
  ASSERT_EQ(RunConversion(text, *picture, text_art.get(), state, sinks), RunResult::kDone);

  const Text part = "\\'B9\\'E2\\par\\'B9\\'E2\\par";
  EXPECT_EQ(state.document_text,
            Document(Entry(kPictureColour) + Repeat(kWhiteEntry, 5),
                     part + "\\cf2" + part + "\\cf3\\par\\cf4" + part + "\\cf5" + part +
                         "\\cf6\\par"));

  // The whole text measures as one line; its second line lies 1 + 2 pixels lower.
  const int tw = text_art->MeasureTextWidth(text);
  ASSERT_EQ(text_art->MeasureTextHeight(text), 1);
  ASSERT_GE(tw, 2);
  ExpectBitmap(text_art->PersistentBitmap(), [tw](int x, int y) {
    const bool column = x == 0 || x == tw;
    const int row = y == 0 || y == 3 ? 0 : (y == 1 || y == 4 ? 1 : -1);
    if (!column || row < 0) return kBlack;
    return x == 0 && row == 0 ? kPictureColour : kWhite;
  });
}

TEST(RunConversion, CellsBeyondTheIntRangeAreNotDrawn) {
  // A font as large as the engine makes and a long text: the cell positions of one
  // row pass 2^31, where a 32-bit product would wrap back onto the canvas.
  CanvasSettings settings = FindControl(MainWindowDefinition(), control_name::kTextArt)->canvas;
  settings.background_colour = kBlack;
  settings.font->height = -4096;
  Canvas text_art(settings, MakeTextArtCanvas()->Placement());
  const Text text = Repeat(kGuang, 128);
  const std::int64_t tw = text_art.MeasureTextWidth(text);
  ASSERT_GT(tw, 100000);

  // The first column whose wrapped position would land inside the canvas.
  int wrapping_column = 0;
  for (int j = 2; j < 32627 && wrapping_column == 0; ++j) {
    const std::uint64_t product =
        static_cast<std::uint64_t>(j - 1) * static_cast<std::uint64_t>(tw);
    const auto wrapped = static_cast<std::int32_t>(static_cast<std::uint32_t>(product));
    if (wrapped >= 0 && wrapped < 700) wrapping_column = j;
  }
  ASSERT_NE(wrapping_column, 0);

  // Column 1 of row 1 reads kPictureColour, every other column of row 1 kMark.
  constexpr Colour kMark = 0x00123456;
  const int width = wrapping_column + 1;
  CanvasSettings picture_settings;
  Canvas picture(picture_settings, CanvasPlacement{{0, 0, width, 2}, width, 2});
  picture.SetBackgroundPicture(
      fixtures::Bmp24(width, 2, [](int x, int y) { return x == 1 && y == 1 ? kPictureColour : kMark; }));
  ASSERT_EQ(picture.ReadPixel(wrapping_column, 1), kMark);

  DocumentState state;
  RecordingSinks sinks;
  ASSERT_EQ(RunConversion(text, picture, &text_art, state, sinks), RunResult::kDone);
  EXPECT_EQ(state.cells.colours.size(), 2u * (width + 1));
  int picture_pixels = 0;
  int marked_pixels = 0;
  for (const Colour c : text_art.PersistentBitmap().Pixels()) {
    picture_pixels += c == kPictureColour;
    marked_pixels += c == kMark;
  }
  EXPECT_GT(picture_pixels, 0);
  EXPECT_EQ(marked_pixels, 0);
}

TEST(RunConversion, DocumentBeyondTheMemoryLimitIsRefusedBeforeDrawing) {
  auto picture = MakePictureCanvas();
  auto text_art = MakeTextArtCanvas();
  text_art->TakeDirtyRect();
  const std::uint64_t bound = RunMemoryBound(104, 128, kGuang, true);

  DocumentState state;
  state.document_text = "last run";
  StartDocument(state.cells, "last text", 3);
  AppendCell(state.cells, kBlack);
  RecordingSinks sinks;
  EXPECT_EQ(RunConversion(kGuang, *picture, text_art.get(), state, sinks, {.memory_limit = bound - 1}),
            RunResult::kOutOfMemory);
  EXPECT_EQ(sinks.events, (std::vector<std::string>{"doc"}));
  EXPECT_EQ(sinks.documents, (std::vector<Text>{""}));
  EXPECT_TRUE(state.document_text.empty());
  EXPECT_TRUE(state.cells.colours.empty());
  EXPECT_TRUE(text_art->TakeDirtyRect().Empty());

  // The largest 画板2 there can be: over a billion cells, some tens of gigabytes.
  picture->SetWidth(std::numeric_limits<int>::max());
  picture->SetHeight(std::numeric_limits<int>::max());
  EXPECT_EQ(RunConversion(kGuang, *picture, text_art.get(), state, sinks,
                          {.memory_limit = std::uint64_t{16} << 30}),
            RunResult::kOutOfMemory);
  EXPECT_GT(RunMemoryBound(32627, 32627, kGuang, true), std::uint64_t{32} << 30);
  EXPECT_EQ(RunMemoryBound(32627, 32627, kGuang, false), 32627u * 32628u * 4u);
}

TEST(RunConversion, MemoryBoundHoldsForTheWidestEntriesAndTexts) {
  // White entries and long counters are the widest a cell gets; a text with line
  // breaks adds a "\par" per line.
  for (const Text& text : {kGuang, Text(), kGuang + "\r\n\r\nA\r"}) {
    auto picture = MakePictureCanvas();
    picture->SetBackgroundPicture({});
    picture->SetBackgroundColour(kWhite);
    auto text_art = MakeTextArtCanvas();
    const std::uint64_t bound = RunMemoryBound(104, 128, text, true);
    DocumentState state;
    RecordingSinks sinks;
    ASSERT_EQ(RunConversion(text, *picture, text_art.get(), state, sinks, {.memory_limit = bound}),
              RunResult::kDone);
    const std::uint64_t held = state.document_text.size() + state.cells.colours.size() * 4;
    EXPECT_EQ(Entries(state.document_text).size(), 128u * 105u);
    EXPECT_LE(held, bound);
    EXPECT_GT(held, bound * 3 / 4);
  }
}

TEST(RunConversion, OutOfMemoryDuringTheRunLeavesAnEmptyDocument) {
  auto picture = WorkedExamplePicture();
  auto text_art = MakeTextArtCanvas();
  DocumentState state;
  RecordingSinks sinks;
  int rows = 0;
  sinks.on_row_done = [&rows] {
    if (++rows == 2) throw std::bad_alloc();
  };
  EXPECT_EQ(RunConversion(kGuang, *picture, text_art.get(), state, sinks), RunResult::kOutOfMemory);
  EXPECT_EQ(sinks.events,
            (std::vector<std::string>{"max 2", "pos 1", "row", "pos 2", "row", "doc"}));
  EXPECT_EQ(sinks.documents, (std::vector<Text>{""}));
  EXPECT_TRUE(state.document_text.empty());
  EXPECT_TRUE(state.cells.colours.empty());
}

}  // namespace
}  // namespace kolvane

namespace kolvane {
namespace {

TEST(RunConversion, ARunLeftInPiecesWritesTheSameDocument) {
  auto picture = MakePictureCanvas();
  DocumentState whole;
  RecordingSinks whole_sinks;
  ASSERT_EQ(RunConversion(kGuang, *picture, MakeTextArtCanvas().get(), whole, whole_sinks),
            RunResult::kDone);

  DocumentState pieces;
  RecordingSinks pieces_sinks;
  RunOptions options;
  options.assemble_document = false;
  ASSERT_EQ(RunConversion(kGuang, *picture, MakeTextArtCanvas().get(), pieces, pieces_sinks, options),
            RunResult::kDone);
  EXPECT_TRUE(pieces.document_text.empty());
  EXPECT_TRUE(pieces_sinks.documents.empty());
  EXPECT_TRUE(RtfDocumentText(pieces.cells) == whole.document_text);
  EXPECT_EQ(pieces.cells.colours, whole.cells.colours);

  // Without a text-art canvas the run reads the same cells and draws nothing.
  DocumentState unseen;
  RecordingSinks unseen_sinks;
  ASSERT_EQ(RunConversion(kGuang, *picture, nullptr, unseen, unseen_sinks), RunResult::kDone);
  EXPECT_TRUE(unseen.document_text == whole.document_text);
}

}  // namespace
}  // namespace kolvane
