#pragma once
// The rich edit box: every document written to it replaces the whole content. It
// holds the text in a plain-text editor, which lays out only what is shown, and the
// formats in a rich-text model of runs beside it; the runs of the blocks on screen
// become the editor's formats as they are painted. Copying puts the selection on the
// clipboard as RTF, HTML and plain text, so a word processor keeps its colours.
#include <QPlainTextEdit>
#include <deque>
#include <vector>

#include "base/types.h"
#include "convert/cell_document.h"
#include "richtext/rich_text.h"

namespace kolvane {

class RichEditBox : public QPlainTextEdit {
  Q_OBJECT
 public:
  explicit RichEditBox(QWidget* parent);

  // Replaces the whole content with the document the RTF text describes.
  void SetContent(const Text& rtf);
  // Replaces the whole content with a conversion's document, made from its cells,
  // which must stay as they are while the box shows them (until the next Set).
  void SetCells(const CellDocument& cells);
  // The RTF text last written, or the cells' document, made anew.
  Text Content() const;
  // At most the bytes the box holds per cell of a document of text made from cells:
  // the text three times (its model, the editor's and the text handed over between
  // them) and a run; the blocks of short rows in what is left.
  static std::uint64_t BytesPerCell(std::string_view text);

  // What the box shows, with each character's format.
  const RichText& Shown() const { return shown_; }
  // The selected part of it (fonts as a copy names them).
  RichText Selection() const;

  // Undo and redo of the user's own edits since the last document was written.
  bool CanUndo() const { return !undo_.empty(); }
  bool CanRedo() const { return !redo_.empty(); }
  void Undo();
  void Redo();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  QMimeData* createMimeDataFromSelection() const override;
  bool canInsertFromMimeData(const QMimeData* source) const override;
  void insertFromMimeData(const QMimeData* source) override;

 private:
  // One edit: at position, removed (text and formats) gave way to added.
  struct Edit {
    std::size_t position = 0;
    RichText removed;
    RichText added;
  };

  void Show(RichText content);
  void OnContentsChange(int position, int removed, int added);
  // Applies an edit's replacement to the editor and the model, as an undo or redo.
  void Apply(std::size_t position, const RichText& before, const RichText& after);
  void FormatVisibleBlocks();
  void ForgetFormats(std::size_t from, std::size_t to);

  RichText shown_;
  Text rtf_;                             // the RTF last written
  const CellDocument* cells_ = nullptr;  // or the cells last written
  std::vector<Edit> undo_;
  std::vector<Edit> redo_;
  bool typing_ = false;        // the last edit was typed and may take the next character
  bool tracking_ = true;       // false while the box changes the editor itself
  std::deque<int> formatted_;  // numbers of blocks given formats, oldest first
};

}  // namespace kolvane
