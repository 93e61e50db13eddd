#pragma once
// The rich edit box: every text written to it is read as an RTF document that
// replaces the whole content. Copying puts the selection on the clipboard as RTF,
// HTML and plain text, so a word processor keeps its colours.
#include <QTextEdit>

#include "richtext/rich_text.h"
#include "base/types.h"

namespace kolvane {

class RichEditBox : public QTextEdit {
  Q_OBJECT
 public:
  explicit RichEditBox(QWidget* parent);

  // Replaces the whole content with the document the RTF text describes.
  void SetContent(const Text& rtf);
  // The text last written.
  const Text& Content() const { return content_; }

  // The selected part of what the box shows, with each character's format.
  RichText Selection() const;

 protected:
  QMimeData* createMimeDataFromSelection() const override;
  bool canInsertFromMimeData(const QMimeData* source) const override;
  void insertFromMimeData(const QMimeData* source) override;

 private:
  Text content_;
};

}  // namespace kolvane
