#include "app/rich_edit_box.h"

#include <QMimeData>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <memory>

#include "app/controls.h"
#include "app/gui_fonts.h"
#include "richtext/rtf_reader.h"
#include "base/system_values.h"

namespace kolvane {
namespace {

constexpr int kDefaultHalfPoints = 18;  // 9 points

QTextCharFormat ToQtFormat(const CharFormat& format, const RichText& document) {
  QTextCharFormat qt;
  if (format.colour) qt.setForeground(ToQColor(*format.colour));
  const bool has_face = format.font >= 0 && format.font < static_cast<int>(document.fonts.size());
  qt.setFontFamilies({has_face ? QString::fromStdString(document.fonts[format.font])
                               : QString::fromUtf8(kDefaultFaceName.data(),
                                                   static_cast<int>(kDefaultFaceName.size()))});
  qt.setFontPointSize(format.font_size / 2.0);
  if (format.bold) qt.setFontWeight(QFont::Bold);
  if (format.italic) qt.setFontItalic(true);
  if (format.underline) qt.setFontUnderline(true);
  return qt;
}

CharFormat FromQtFormat(const QTextCharFormat& qt, RichText& document) {
  CharFormat format;
  if (qt.foreground().style() != Qt::NoBrush) {
    const QColor c = qt.foreground().color();
    format.colour = MakeColour(static_cast<std::uint8_t>(c.red()), static_cast<std::uint8_t>(c.green()),
                               static_cast<std::uint8_t>(c.blue()));
  }
  const QStringList families = qt.fontFamilies().toStringList();
  if (!families.isEmpty() && families.front().toStdString() != kDefaultFaceName) {
    format.font = FontIndex(document, families.front().toStdString());
  }
  const double points = qt.fontPointSize();
  format.font_size = points > 0 ? static_cast<std::int16_t>(points * 2 + 0.5) : kDefaultHalfPoints;
  format.bold = qt.fontWeight() >= QFont::Bold;
  format.italic = qt.fontItalic();
  format.underline = qt.fontUnderline();
  return format;
}

// Inserts the paragraphs of a document at the cursor, each run in its format.
void InsertRichText(QTextCursor& cursor, const RichText& rich) {
  cursor.beginEditBlock();
  bool first = true;
  for (const Paragraph& paragraph : rich.paragraphs) {
    if (!first) cursor.insertBlock();
    first = false;
    std::size_t offset = 0;
    for (const TextRun& run : paragraph.runs) {
      cursor.insertText(QString::fromUtf16(paragraph.text.data() + offset, run.length),
                        ToQtFormat(run.format, rich));
      offset += run.length;
    }
  }
  cursor.endEditBlock();
}

}  // namespace

RichEditBox::RichEditBox(QWidget* parent) : QTextEdit(parent) {
  setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  setLineWidth(2);
  setLineWrapMode(QTextEdit::WidgetWidth);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  document()->setUndoRedoEnabled(false);
  QFont font = SongFont(12);
  font.setPointSize(kDefaultHalfPoints / 2);
  document()->setDefaultFont(font);
  QPalette palette = this->palette();
  palette.setColor(QPalette::Base, ToQColor(kWindowColour));
  setPalette(palette);
}

void RichEditBox::SetContent(const Text& rtf) {
  content_ = rtf;
  RichText rich = ReadRtf(content_);
  // A paragraph mark ends its paragraph: the empty remainder after the last one is not
  // a paragraph of its own, as in every word processor.
  if (rich.paragraphs.size() > 1 && rich.paragraphs.back().text.empty()) rich.paragraphs.pop_back();

  // Built apart from the box and swapped in whole, so nothing is laid out or drawn
  // while it grows.
  auto* built = new QTextDocument(this);
  built->setUndoRedoEnabled(false);
  built->setDefaultFont(document()->defaultFont());
  QTextCursor cursor(built);
  InsertRichText(cursor, rich);
  // The previous document is a child of the box, which deletes it here.
  setDocument(built);
}

RichText RichEditBox::Selection() const {
  RichText selected;
  const QTextCursor cursor = textCursor();
  if (!cursor.hasSelection()) return selected;
  const int start = cursor.selectionStart();
  const int end = cursor.selectionEnd();
  for (QTextBlock block = document()->findBlock(start); block.isValid() && block.position() <= end;
       block = block.next()) {
    StartParagraph(selected);
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      const QTextFragment fragment = it.fragment();
      const int from = std::max(fragment.position(), start);
      const int to = std::min(fragment.position() + fragment.length(), end);
      if (from >= to) continue;
      const QString text = fragment.text().mid(from - fragment.position(), to - from);
      AppendText(selected, std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()),
                                               static_cast<std::size_t>(text.size())),
                 FromQtFormat(fragment.charFormat(), selected));
    }
  }
  return selected;
}

QMimeData* RichEditBox::createMimeDataFromSelection() const {
  const RichText selected = Selection();
  auto* mime = new QMimeData;
  const std::string rtf = WriteRtf(selected);
  const QByteArray rtf_bytes(rtf.data(), static_cast<qsizetype>(rtf.size()));
  mime->setData(QStringLiteral("text/rtf"), rtf_bytes);
  mime->setData(QStringLiteral("text/richtext"), rtf_bytes);
  mime->setData(QStringLiteral("application/rtf"), rtf_bytes);
  mime->setHtml(QString::fromStdString(WriteHtml(selected)));
  const std::u16string plain = PlainText(selected);
  mime->setText(QString::fromUtf16(plain.data(), static_cast<qsizetype>(plain.size())));
  return mime;
}

bool RichEditBox::canInsertFromMimeData(const QMimeData* source) const {
  return source->hasFormat(QStringLiteral("text/rtf")) || QTextEdit::canInsertFromMimeData(source);
}

void RichEditBox::insertFromMimeData(const QMimeData* source) {
  // A paste of RTF (our own copies among them) keeps its formats.
  if (source->hasFormat(QStringLiteral("text/rtf"))) {
    const QByteArray bytes = source->data(QStringLiteral("text/rtf"));
    const RichText pasted = ReadRtf(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    QTextCursor cursor = textCursor();
    InsertRichText(cursor, pasted);
    return;
  }
  QTextEdit::insertFromMimeData(source);
}

}  // namespace kolvane
