#pragma once
// The rich edit box: every text written to it is read as an RTF document that
// replaces the whole content.
#include <QTextEdit>

#include "platform/types.h"

namespace kolvane {

class RichEditBox : public QTextEdit {
  Q_OBJECT
 public:
  explicit RichEditBox(QWidget* parent);

  // Replaces the whole content with the document the RTF text describes.
  void SetContent(const Text& rtf);
  // The text last written.
  const Text& Content() const { return content_; }

 private:
  Text content_;
};

}  // namespace kolvane
