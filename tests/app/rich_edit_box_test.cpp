// The rich edit box: a document written into it replaces the whole content; it shows
// what reading the document as RTF shows; the user's edits, undo and redo keep text
// and formats together; copies carry every character's colour.
#include "app/rich_edit_box.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMimeData>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <memory>

#include "convert/rtf_document.h"
#include "richtext/rtf_reader.h"

namespace kolvane {
namespace {

// The document a run over a 2 x 2 picture showing 0x00336699 at (1, 1) writes.
const Text kWorkedExample =
    "{\\rtf1\\ansi\\ansicpg936\\deff0\\deflang1033\\deflangfe2052{\\fonttbl{\\f0\\fmodern\\fprq6"
    "\\fcharset134 \\'cb\\'ce\\'cc\\'e5;}}\r\n"
    "{\\colortbl ;\\red153\\green102\\blue51;\\red255\\green255\\blue255;\\red255\\green255"
    "\\blue255;\\red255\\green255\\blue255;\\red255\\green255\\blue255;\\red255\\green255"
    "\\blue255;}\r\n"
    "{\\*\\generator Msftedit 5.41.15.1507;}\\viewkind4\\uc1\\pard\\cf1\\lang2052\\f0\\fs20"
    "\\'B9\\'E2\\cf2\\'B9\\'E2\\cf3\\par\\cf4\\'B9\\'E2\\cf5\\'B9\\'E2\\cf6\\par\\cf0\\par}";

constexpr Colour kBrown = 0x00336699;
constexpr Colour kWhite = 0x00FFFFFF;

// The colour the box gives the character at position (counted as the editor counts).
std::optional<Colour> ColourAt(const RichEditBox& box, int position) {
  const QTextBlock block = box.document()->findBlock(position);
  const Paragraph& paragraph = box.Shown().paragraphs.at(static_cast<std::size_t>(block.blockNumber()));
  std::size_t offset = static_cast<std::size_t>(position - block.position());
  for (const TextRun& run : paragraph.runs) {
    if (offset < run.length) return run.format.colour;
    offset -= run.length;
  }
  ADD_FAILURE() << "no character at " << position;
  return std::nullopt;
}

// Types text at the cursor as the keyboard does.
void Type(RichEditBox& box, const QString& text) {
  for (const QChar c : text) {
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
    QApplication::sendEvent(&box, &press);
  }
}

void Press(RichEditBox& box, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  QKeyEvent press(QEvent::KeyPress, key, modifiers);
  QApplication::sendEvent(&box, &press);
}

CellDocument SmallCells() {
  CellDocument cells;
  StartDocument(cells, "\xB9\xE2", 2);
  for (const Colour c : {kBrown, kWhite, 0xFFFFFFFFu, kBrown, kBrown, 0xFFFFFFFFu}) AppendCell(cells, c);
  return cells;
}

TEST(RichEditBox, ShowsTheDocumentOneParagraphPerRowWithEachCharactersColour) {
  RichEditBox box(nullptr);
  box.SetContent(kWorkedExample);
  const QTextDocument& document = *box.document();
  ASSERT_EQ(document.blockCount(), 3);
  EXPECT_EQ(document.findBlockByNumber(0).text(), QStringLiteral("光光"));
  EXPECT_EQ(document.findBlockByNumber(1).text(), QStringLiteral("光光"));
  EXPECT_EQ(document.findBlockByNumber(2).text(), QString());
  EXPECT_EQ(ColourAt(box, 0), kBrown);
  EXPECT_EQ(ColourAt(box, 1), kWhite);
  // The text is laid out in the document's face and size, \fs20.
  EXPECT_EQ(document.defaultFont().pointSizeF(), 10.0);
  EXPECT_EQ(box.Content(), kWorkedExample);
}

TEST(RichEditBox, ShowsCellsAsReadingTheirDocumentShows) {
  const CellDocument cells = SmallCells();
  RichEditBox from_cells(nullptr);
  from_cells.SetCells(cells);
  RichEditBox from_rtf(nullptr);
  from_rtf.SetContent(RtfDocumentText(cells));
  EXPECT_EQ(from_cells.Shown(), from_rtf.Shown());
  EXPECT_EQ(from_cells.toPlainText(), from_rtf.toPlainText());
  EXPECT_EQ(from_cells.Content(), RtfDocumentText(cells));
}

TEST(RichEditBox, PaintingGivesTheBlocksOnScreenTheirColours) {
  RichEditBox box(nullptr);
  box.resize(300, 200);
  box.SetContent(kWorkedExample);
  box.grab();  // paints
  const QList<QTextLayout::FormatRange> formats = box.document()->firstBlock().layout()->formats();
  ASSERT_EQ(formats.size(), 2);
  EXPECT_EQ(formats[0].start, 0);
  EXPECT_EQ(formats[0].length, 1);
  EXPECT_EQ(formats[0].format.foreground().color(), QColor(153, 102, 51));
  EXPECT_EQ(formats[1].format.foreground().color(), QColor(255, 255, 255));
}

TEST(RichEditBox, WritingASecondDocumentReplacesTheFirstCompletely) {
  RichEditBox box(nullptr);
  box.SetContent(kWorkedExample);
  box.SetContent("{\\rtf1\\ansi{\\colortbl ;\\red1\\green2\\blue3;}\\cf1 A}");
  EXPECT_EQ(box.toPlainText(), QStringLiteral("A"));
  EXPECT_EQ(ColourAt(box, 0), MakeColour(1, 2, 3));
  box.SetContent("");
  EXPECT_EQ(box.toPlainText(), QString());
  EXPECT_FALSE(box.CanUndo());
}

TEST(RichEditBox, SelectAllAndCopyPutsRtfHtmlAndTextOnTheClipboard) {
  RichEditBox box(nullptr);
  box.SetContent(kWorkedExample);
  box.selectAll();
  box.copy();
  const QMimeData* mime = QApplication::clipboard()->mimeData();
  ASSERT_NE(mime, nullptr);
  ASSERT_TRUE(mime->hasFormat(QStringLiteral("text/rtf"))) << mime->formats().join(",").toStdString();
  EXPECT_TRUE(mime->hasHtml());
  EXPECT_EQ(mime->text(), QStringLiteral("光光\n光光\n"));

  // The RTF on the clipboard reads back with the same characters and colours.
  const QByteArray rtf = mime->data(QStringLiteral("text/rtf"));
  EXPECT_TRUE(rtf.startsWith("{\\rtf1\\ansi\\ansicpg936"));
  const RichText copied = ReadRtf(std::string_view(rtf.constData(), static_cast<std::size_t>(rtf.size())));
  ASSERT_GE(copied.paragraphs.size(), 2u);
  EXPECT_EQ(copied.paragraphs[0].text, u"光光");
  ASSERT_EQ(copied.paragraphs[0].runs.size(), 2u);
  EXPECT_EQ(copied.paragraphs[0].runs[0].format.colour, Colour{kBrown});
  EXPECT_EQ(copied.paragraphs[0].runs[1].format.colour, Colour{kWhite});

  // So does the HTML, as a word processor or browser reads it: a block per paragraph,
  // the face once for each, every character in its colour.
  const QString html = mime->html();
  EXPECT_EQ(html.count(QStringLiteral("font-family")), 3);
  QTextDocument read;
  read.setHtml(html);
  EXPECT_TRUE(read.toPlainText().startsWith(QStringLiteral("光光\n光光\n")));
  QTextCursor cursor(&read);
  cursor.setPosition(1);
  EXPECT_EQ(cursor.charFormat().foreground().color(), QColor(153, 102, 51));
  cursor.setPosition(2);
  EXPECT_EQ(cursor.charFormat().foreground().color(), QColor(255, 255, 255));
  EXPECT_EQ(cursor.charFormat().font().pointSizeF(), 10.0);
}

TEST(RichEditBox, CopiedRtfIsTheBoxsOwnFormByteForByte) {
  // The RTF a copy of the whole worked example and of a part of it has always given.
  RichEditBox box(nullptr);
  box.SetContent(kWorkedExample);
  const std::string head =
      "{\\rtf1\\ansi\\ansicpg936\\deff0\\deflang1033\\deflangfe2052{\\fonttbl{\\f0\\fmodern"
      "\\fprq6\\fcharset134 \\'cb\\'ce\\'cc\\'e5;}}\r\n";
  const std::string body_start = "{\\*\\generator Msftedit 5.41.15.1507;}\\viewkind4\\uc1\\pard\\lang2052";
  box.selectAll();
  box.copy();
  EXPECT_EQ(QApplication::clipboard()->mimeData()->data(QStringLiteral("text/rtf")).toStdString(),
            head + "{\\colortbl ;\\red153\\green102\\blue51;\\red255\\green255\\blue255;}\r\n" +
                body_start + "\\cf1\\fs20\\'B9\\'E2\\cf2\\'B9\\'E2\\par\\'B9\\'E2\\'B9\\'E2\\par}");
  QTextCursor cursor(box.document());
  cursor.setPosition(1);
  cursor.setPosition(4, QTextCursor::KeepAnchor);
  box.setTextCursor(cursor);
  box.copy();
  EXPECT_EQ(QApplication::clipboard()->mimeData()->data(QStringLiteral("text/rtf")).toStdString(),
            head + "{\\colortbl ;\\red255\\green255\\blue255;}\r\n" + body_start +
                "\\cf1\\fs20\\'B9\\'E2\\par\\'B9\\'E2}");
}

TEST(RichEditBox, ACopyOfPartOfALineKeepsJustThoseCharacters) {
  RichEditBox box(nullptr);
  box.SetContent(kWorkedExample);
  QTextCursor cursor(box.document());
  cursor.setPosition(1);
  cursor.setPosition(4, QTextCursor::KeepAnchor);  // "光" ¶ "光"
  box.setTextCursor(cursor);
  const RichText selected = box.Selection();
  ASSERT_EQ(selected.paragraphs.size(), 2u);
  EXPECT_EQ(selected.paragraphs[0].text, u"光");
  EXPECT_EQ(selected.paragraphs[1].text, u"光");
  EXPECT_EQ(selected.paragraphs[0].runs[0].format.colour, Colour{kWhite});
  // A copy names the default face as none, as copies always have.
  EXPECT_EQ(selected.paragraphs[0].runs[0].format.font, -1);
  EXPECT_TRUE(selected.fonts.empty());
}

TEST(RichEditBox, TypedTextTakesTheColourBeforeItAndIsCopiedWithTheRest) {
  RichEditBox box(nullptr);
  box.SetContent(kWorkedExample);
  QTextCursor cursor(box.document());
  cursor.setPosition(1);  // after the brown 光
  box.setTextCursor(cursor);
  Type(box, QStringLiteral("ab"));
  EXPECT_EQ(box.document()->firstBlock().text(), QStringLiteral("光ab光"));
  EXPECT_EQ(ColourAt(box, 1), kBrown);
  EXPECT_EQ(ColourAt(box, 2), kBrown);
  EXPECT_EQ(ColourAt(box, 3), kWhite);
  Press(box, Qt::Key_Delete);  // the white 光
  Press(box, Qt::Key_Return);
  EXPECT_EQ(box.document()->blockCount(), 4);

  box.selectAll();
  box.copy();
  const QMimeData* mime = QApplication::clipboard()->mimeData();
  EXPECT_EQ(mime->text(), QStringLiteral("光ab\n\n光光\n"));
  const QByteArray rtf = mime->data(QStringLiteral("text/rtf"));
  const RichText copied = ReadRtf(std::string_view(rtf.constData(), static_cast<std::size_t>(rtf.size())));
  ASSERT_GE(copied.paragraphs.size(), 3u);
  EXPECT_EQ(copied.paragraphs[0].text, u"光ab");
  ASSERT_EQ(copied.paragraphs[0].runs.size(), 1u);
  EXPECT_EQ(copied.paragraphs[0].runs[0].format.colour, Colour{kBrown});
}

TEST(RichEditBox, AnEditLeavesEveryOtherParagraphAsItWas) {
  // The editor reports the first edit after its text was set as a change of the whole
  // text; the box must still change only what changed.
  CellDocument cells;
  StartDocument(cells, "\xB9\xE2", 3);
  for (int row = 0; row < 6; ++row) {
    for (int column = 0; column <= 3; ++column) AppendCell(cells, MakeColour(static_cast<std::uint8_t>(10 + row), 0, 0));
  }
  RichEditBox box(nullptr);
  box.resize(300, 200);
  box.SetCells(cells);
  box.grab();
  RichText expected = box.Shown();
  QTextCursor cursor(box.document());
  cursor.setPosition(5);
  box.setTextCursor(cursor);
  Type(box, QStringLiteral("HE"));
  expected.paragraphs[1].text = u"光HE光光";
  expected.paragraphs[1].runs[0].length = 5;
  EXPECT_EQ(box.Shown(), expected);
  box.grab();
  const QTextBlock edited = box.document()->findBlockByNumber(1);
  ASSERT_EQ(edited.layout()->formats().size(), 1);
  EXPECT_EQ(edited.layout()->formats()[0].length, 5) << "the edited block is formatted anew";
  EXPECT_EQ(box.document()->findBlockByNumber(4).layout()->formats()[0].format.foreground().color(),
            QColor(14, 0, 0));
}

TEST(RichEditBox, UndoAndRedoBringTextAndColoursBack) {
  RichEditBox box(nullptr);
  box.SetContent(kWorkedExample);
  const RichText original = box.Shown();
  EXPECT_FALSE(box.CanUndo());

  box.selectAll();
  Press(box, Qt::Key_Delete);
  EXPECT_EQ(box.toPlainText(), QString());
  QTextCursor cursor(box.document());
  box.setTextCursor(cursor);
  Type(box, QStringLiteral("xyz"));
  EXPECT_EQ(box.toPlainText(), QStringLiteral("xyz"));

  // The typed word goes in one step, then the deletion, colours and all.
  Press(box, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(box.toPlainText(), QString());
  box.Undo();
  EXPECT_EQ(box.Shown(), original);
  EXPECT_EQ(box.toPlainText(), QStringLiteral("光光\n光光\n"));
  EXPECT_EQ(ColourAt(box, 0), kBrown);
  EXPECT_FALSE(box.CanUndo());

  Press(box, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(box.toPlainText(), QString());
  box.Redo();
  EXPECT_EQ(box.toPlainText(), QStringLiteral("xyz"));
  EXPECT_FALSE(box.CanRedo());
  // A new edit after an undo drops what could have been redone.
  box.Undo();
  Type(box, QStringLiteral("q"));
  EXPECT_FALSE(box.CanRedo());
}

TEST(RichEditBox, PastedRtfKeepsItsColours) {
  RichEditBox source(nullptr);
  source.SetContent(kWorkedExample);
  source.selectAll();
  source.copy();
  RichEditBox box(nullptr);
  box.SetContent("{\\rtf1\\ansi A}");
  box.moveCursor(QTextCursor::End);
  box.paste();
  EXPECT_EQ(box.document()->firstBlock().text(), QStringLiteral("A光光"));
  EXPECT_EQ(ColourAt(box, 1), kBrown);
  EXPECT_EQ(ColourAt(box, 2), kWhite);
  box.Undo();
  EXPECT_EQ(box.toPlainText(), QStringLiteral("A"));
}

TEST(RichEditBox, ScrollingColoursTheBlocksItShows) {
  CellDocument cells;
  StartDocument(cells, "\xB9\xE2", 30);
  for (int row = 0; row < 400; ++row) {
    for (int column = 0; column <= 30; ++column) AppendCell(cells, MakeColour(static_cast<std::uint8_t>(row), 0, 0));
  }
  RichEditBox box(nullptr);
  box.resize(300, 200);
  box.SetCells(cells);
  box.verticalScrollBar()->setValue(300);
  box.grab();
  const QTextBlock shown = box.cursorForPosition(QPoint(5, 5)).block();
  EXPECT_GT(shown.blockNumber(), 250);
  ASSERT_FALSE(shown.layout()->formats().isEmpty());
  EXPECT_EQ(shown.layout()->formats()[0].format.foreground().color(),
            QColor(shown.blockNumber() % 256, 0, 0));
  EXPECT_TRUE(box.document()->findBlockByNumber(0).layout()->formats().isEmpty())
      << "blocks never shown hold no formats";
}

}  // namespace
}  // namespace kolvane

