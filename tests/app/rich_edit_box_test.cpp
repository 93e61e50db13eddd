// The rich edit box: RTF written into it replaces the whole content; copies carry
// every character's colour.
#include "app/rich_edit_box.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <memory>

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

QColor ColourAt(const QTextDocument& document, int position) {
  QTextCursor cursor(const_cast<QTextDocument*>(&document));
  cursor.setPosition(position + 1);  // the format of the character before the cursor
  return cursor.charFormat().foreground().color();
}

TEST(RichEditBox, ShowsTheDocumentOneParagraphPerRowWithEachCharactersColour) {
  RichEditBox box(nullptr);
  box.SetContent(kWorkedExample);
  const QTextDocument& document = *box.document();
  ASSERT_EQ(document.blockCount(), 3);
  EXPECT_EQ(document.findBlockByNumber(0).text(), QStringLiteral("光光"));
  EXPECT_EQ(document.findBlockByNumber(1).text(), QStringLiteral("光光"));
  EXPECT_EQ(document.findBlockByNumber(2).text(), QString());
  EXPECT_EQ(ColourAt(document, 0), QColor(153, 102, 51));
  EXPECT_EQ(ColourAt(document, 1), QColor(255, 255, 255));
  QTextCursor cursor(box.document());
  cursor.setPosition(1);
  EXPECT_EQ(cursor.charFormat().fontPointSize(), 10.0);  // \fs20
  EXPECT_EQ(box.Content(), kWorkedExample);
}

TEST(RichEditBox, WritingASecondDocumentReplacesTheFirstCompletely) {
  RichEditBox box(nullptr);
  box.SetContent(kWorkedExample);
  box.SetContent("{\\rtf1\\ansi{\\colortbl ;\\red1\\green2\\blue3;}\\cf1 A}");
  EXPECT_EQ(box.toPlainText(), QStringLiteral("A"));
  EXPECT_EQ(ColourAt(*box.document(), 0), QColor(1, 2, 3));
  box.SetContent("");
  EXPECT_EQ(box.toPlainText(), QString());
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
  EXPECT_TRUE(mime->html().contains(QStringLiteral("#996633")));  // red 153, green 102, blue 51

  // The RTF on the clipboard reads back with the same characters and colours.
  const QByteArray rtf = mime->data(QStringLiteral("text/rtf"));
  EXPECT_TRUE(rtf.startsWith("{\\rtf1\\ansi\\ansicpg936"));
  const RichText copied = ReadRtf(std::string_view(rtf.constData(), static_cast<std::size_t>(rtf.size())));
  ASSERT_GE(copied.paragraphs.size(), 2u);
  EXPECT_EQ(copied.paragraphs[0].text, u"光光");
  ASSERT_EQ(copied.paragraphs[0].runs.size(), 2u);
  EXPECT_EQ(copied.paragraphs[0].runs[0].format.colour, Colour{0x00336699});
  EXPECT_EQ(copied.paragraphs[0].runs[1].format.colour, Colour{0x00FFFFFF});
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
  EXPECT_EQ(selected.paragraphs[0].runs[0].format.colour, Colour{0x00FFFFFF});
}

}  // namespace
}  // namespace kolvane
