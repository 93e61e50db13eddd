#include "app/rich_edit_box.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPaintEvent>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <algorithm>

#include "app/controls.h"
#include "app/gui_fonts.h"
#include "base/system_values.h"
#include "convert/cell_rich_text.h"
#include "convert/rtf_document.h"
#include "richtext/rich_text_edit.h"
#include "richtext/rtf_reader.h"

namespace kolvane {
namespace {

constexpr int kDefaultHalfPoints = 18;  // 9 points, for an empty box
constexpr int kFormatted = 1;           // a block's user state once its runs are formats
// Blocks that keep their formats after they scroll away; older ones drop them and get
// them again when they are shown, so the formats held do not grow with the document.
constexpr std::size_t kMaxFormattedBlocks = 400;
constexpr char16_t kParagraphSeparator = 0x2029;

QFont FontOf(const RichText& document, const CharFormat& format) {
  QFont font(format.font >= 0 && static_cast<std::size_t>(format.font) < document.fonts.size()
                 ? QString::fromStdString(document.fonts[static_cast<std::size_t>(format.font)])
                 : QString::fromUtf8(kDefaultFaceName.data(),
                                     static_cast<qsizetype>(kDefaultFaceName.size())));
  font.setPointSizeF(format.font_size / 2.0);
  font.setBold(format.bold);
  font.setItalic(format.italic);
  font.setUnderline(format.underline);
  return font;
}

// The document's text as the editor holds it: paragraphs joined by U+2029.
QString EditorText(const RichText& document) {
  QString text;
  text.reserve(static_cast<qsizetype>(TextLength(document)));
  for (std::size_t p = 0; p < document.paragraphs.size(); ++p) {
    if (p > 0) text += QChar(kParagraphSeparator);
    const std::u16string& paragraph = document.paragraphs[p].text;
    text.append(reinterpret_cast<const QChar*>(paragraph.data()),
                static_cast<qsizetype>(paragraph.size()));
  }
  return text;
}

std::u16string ToUtf16(const QString& text) {
  return std::u16string(reinterpret_cast<const char16_t*>(text.utf16()),
                        static_cast<std::size_t>(text.size()));
}

}  // namespace

RichEditBox::RichEditBox(QWidget* parent) : QPlainTextEdit(parent) {
  setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  setLineWidth(2);
  setLineWrapMode(QPlainTextEdit::WidgetWidth);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  // The box keeps its own undo steps, with the formats the editor does not hold.
  document()->setUndoRedoEnabled(false);
  CharFormat empty;
  empty.font_size = kDefaultHalfPoints;
  document()->setDefaultFont(FontOf(shown_, empty));
  QPalette palette = this->palette();
  palette.setColor(QPalette::Base, ToQColor(kWindowColour));
  setPalette(palette);
  connect(document(), &QTextDocument::contentsChange, this, &RichEditBox::OnContentsChange);
}

void RichEditBox::SetContent(const Text& rtf) {
  rtf_ = rtf;
  cells_ = nullptr;
  Show(ReadRtf(rtf_));
}

void RichEditBox::SetCells(const CellDocument& cells) {
  Text().swap(rtf_);
  cells_ = &cells;
  Show(RichTextOfCells(cells));
}

Text RichEditBox::Content() const { return cells_ ? RtfDocumentText(*cells_) : rtf_; }

std::uint64_t RichEditBox::BytesPerCell(std::string_view text) {
  // Each byte of code page 936 is at most one UTF-16 unit; a row's paragraph and
  // block take a few hundred bytes, shared by its cells.
  constexpr std::uint64_t kRowShare = 64;
  return 3 * sizeof(char16_t) * (text.size() + 1) + sizeof(TextRun) + kRowShare;
}

void RichEditBox::Show(RichText content) {
  // A paragraph mark ends its paragraph: the empty remainder after the last one is not
  // a paragraph of its own, as in every word processor.
  if (content.paragraphs.size() > 1 && content.paragraphs.back().text.empty()) {
    content.paragraphs.pop_back();
  }
  shown_ = std::move(content);
  undo_.clear();
  redo_.clear();
  typing_ = false;
  formatted_.clear();
  // Laid out in the face and size of the document's first run, which in the program's
  // documents every run has; runs that differ say so in their formats.
  const Paragraph* first = nullptr;
  for (const Paragraph& paragraph : shown_.paragraphs) {
    if (!paragraph.runs.empty()) {
      first = &paragraph;
      break;
    }
  }
  CharFormat base;
  base.font_size = kDefaultHalfPoints;
  if (first) base = first->runs.front().format;
  tracking_ = false;
  document()->setDefaultFont(FontOf(shown_, base));
  setPlainText(EditorText(shown_));
  tracking_ = true;
  viewport()->update();
}

RichText RichEditBox::Selection() const {
  const QTextCursor cursor = textCursor();
  if (!cursor.hasSelection()) return {};
  return WithFontsInOrderOfUse(Slice(shown_, static_cast<std::size_t>(cursor.selectionStart()),
                                     static_cast<std::size_t>(cursor.selectionEnd())));
}

void RichEditBox::OnContentsChange(int position, int removed, int added) {
  if (!tracking_) return;
  // The editor may report more than changed (the whole text and the mark it keeps
  // after the last paragraph, on the first edit after the text was set): what stays
  // the same at both ends is not part of the edit.
  const int end = std::min(position + added, document()->characterCount() - 1);
  QTextCursor cursor(document());
  cursor.setPosition(position);
  cursor.setPosition(std::max(end, position), QTextCursor::KeepAnchor);
  std::u16string text = ToUtf16(cursor.selectedText());
  const std::size_t old_end =
      std::min(static_cast<std::size_t>(position + removed), TextLength(shown_));
  const std::u16string before =
      JoinedText(Slice(shown_, static_cast<std::size_t>(position), old_end));
  std::size_t same_start = 0;
  while (same_start < text.size() && same_start < before.size() &&
         text[same_start] == before[same_start]) {
    ++same_start;
  }
  std::size_t same_end = 0;
  while (same_end < text.size() - same_start && same_end < before.size() - same_start &&
         text[text.size() - 1 - same_end] == before[before.size() - 1 - same_end]) {
    ++same_end;
  }
  text = text.substr(same_start, text.size() - same_start - same_end);
  removed = static_cast<int>(before.size() - same_start - same_end);
  position += static_cast<int>(same_start);
  if (text.empty() && removed == 0) return;
  const auto at = static_cast<std::size_t>(position);
  Edit edit;
  edit.position = at;
  edit.removed = Slice(shown_, at, at + static_cast<std::size_t>(removed));
  edit.added = TextInFormat(shown_, text, TypingFormat(shown_, at));
  Replace(shown_, at, static_cast<std::size_t>(removed), edit.added);
  ForgetFormats(at, at + text.size());

  // Characters typed one after another are undone together.
  const bool one_character = removed == 0 && text.size() == 1 && text[0] != kParagraphSeparator;
  if (typing_ && one_character && !undo_.empty() &&
      undo_.back().position + TextLength(undo_.back().added) == at) {
    Edit& last = undo_.back();
    Replace(last.added, TextLength(last.added), 0, edit.added);
  } else {
    undo_.push_back(std::move(edit));
  }
  typing_ = one_character;
  redo_.clear();
}

void RichEditBox::Apply(std::size_t position, const RichText& before, const RichText& after) {
  QTextCursor cursor(document());
  cursor.setPosition(static_cast<int>(position));
  cursor.setPosition(static_cast<int>(position + TextLength(before)), QTextCursor::KeepAnchor);
  tracking_ = false;
  if (TextLength(after) == 0 && after.paragraphs.size() <= 1) {
    cursor.removeSelectedText();
  } else {
    cursor.insertText(EditorText(after));
  }
  tracking_ = true;
  Replace(shown_, position, TextLength(before), after);
  ForgetFormats(position, position + TextLength(after));
  setTextCursor(cursor);
  typing_ = false;
  viewport()->update();
}

void RichEditBox::Undo() {
  if (undo_.empty()) return;
  Edit edit = std::move(undo_.back());
  undo_.pop_back();
  Apply(edit.position, edit.added, edit.removed);
  redo_.push_back(std::move(edit));
}

void RichEditBox::Redo() {
  if (redo_.empty()) return;
  Edit edit = std::move(redo_.back());
  redo_.pop_back();
  Apply(edit.position, edit.removed, edit.added);
  undo_.push_back(std::move(edit));
}

void RichEditBox::ForgetFormats(std::size_t from, std::size_t to) {
  // The blocks the edit touched get their formats anew when they are next painted.
  for (QTextBlock block = document()->findBlock(static_cast<int>(from)); block.isValid();
       block = block.next()) {
    block.setUserState(-1);
    if (static_cast<std::size_t>(block.position()) > to) break;
  }
}

void RichEditBox::FormatVisibleBlocks() {
  const RichText& document = shown_;
  const QFont base = this->document()->defaultFont();
  const QPointF offset = contentOffset();
  const int bottom = viewport()->rect().bottom();
  for (QTextBlock block = firstVisibleBlock(); block.isValid(); block = block.next()) {
    if (blockBoundingGeometry(block).translated(offset).top() > bottom) break;
    const auto number = static_cast<std::size_t>(block.blockNumber());
    if (block.userState() == kFormatted || number >= document.paragraphs.size()) continue;
    QList<QTextLayout::FormatRange> ranges;
    int start = 0;
    for (const TextRun& run : document.paragraphs[number].runs) {
      QTextCharFormat format;
      if (run.format.colour) format.setForeground(ToQColor(*run.format.colour));
      const QFont font = FontOf(document, run.format);
      if (font != base) format.setFont(font);
      if (format.propertyCount() > 0) {
        ranges.append({start, static_cast<int>(run.length), format});
      }
      start += static_cast<int>(run.length);
    }
    tracking_ = false;
    block.layout()->setFormats(ranges);
    tracking_ = true;
    block.setUserState(kFormatted);
    formatted_.push_back(block.blockNumber());
  }
  // Blocks formatted long ago give their formats back.
  while (formatted_.size() > kMaxFormattedBlocks) {
    const QTextBlock old = this->document()->findBlockByNumber(formatted_.front());
    formatted_.pop_front();
    if (!old.isValid()) continue;
    const QRectF geometry = blockBoundingGeometry(old).translated(offset);
    if (geometry.bottom() >= 0 && geometry.top() <= bottom) continue;  // on screen still
    tracking_ = false;
    old.layout()->clearFormats();
    tracking_ = true;
    QTextBlock(old).setUserState(-1);
  }
}

void RichEditBox::paintEvent(QPaintEvent* event) {
  FormatVisibleBlocks();
  QPlainTextEdit::paintEvent(event);
}

void RichEditBox::keyPressEvent(QKeyEvent* event) {
  if (event->matches(QKeySequence::Undo)) {
    Undo();
    return;
  }
  if (event->matches(QKeySequence::Redo)) {
    Redo();
    return;
  }
  QPlainTextEdit::keyPressEvent(event);
}

void RichEditBox::contextMenuEvent(QContextMenuEvent* event) {
  // The editor's own undo and redo have nothing to do: the box's take their place.
  QMenu* menu = createStandardContextMenu(event->pos());
  for (QAction* action : menu->actions()) {
    if (action->objectName() == QLatin1String("edit-undo")) {
      action->disconnect();
      action->setEnabled(CanUndo());
      connect(action, &QAction::triggered, this, &RichEditBox::Undo);
    } else if (action->objectName() == QLatin1String("edit-redo")) {
      action->disconnect();
      action->setEnabled(CanRedo());
      connect(action, &QAction::triggered, this, &RichEditBox::Redo);
    }
  }
  menu->exec(event->globalPos());
  delete menu;
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
  return source->hasFormat(QStringLiteral("text/rtf")) || QPlainTextEdit::canInsertFromMimeData(source);
}

void RichEditBox::insertFromMimeData(const QMimeData* source) {
  // A paste of RTF (our own copies among them) keeps its formats.
  if (source->hasFormat(QStringLiteral("text/rtf"))) {
    const QByteArray bytes = source->data(QStringLiteral("text/rtf"));
    const RichText pasted =
        ReadRtf(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    QTextCursor cursor = textCursor();
    const auto from = static_cast<std::size_t>(cursor.selectionStart());
    Edit edit{from, Slice(shown_, from, static_cast<std::size_t>(cursor.selectionEnd())), pasted};
    // The editor takes the text; the pasted formats then replace the typing format it
    // got, and the paste is one undo step.
    typing_ = false;
    const std::size_t steps = undo_.size();
    cursor.insertText(EditorText(pasted));
    setTextCursor(cursor);
    Replace(shown_, from, TextLength(pasted), pasted);
    ForgetFormats(from, from + TextLength(pasted));
    undo_.resize(steps);
    undo_.push_back(std::move(edit));
    return;
  }
  QPlainTextEdit::insertFromMimeData(source);
}

}  // namespace kolvane
