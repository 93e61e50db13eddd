#include "app/rich_edit_box.h"

#include "app/gui_fonts.h"
#include "platform/system_values.h"

namespace kolvane {

RichEditBox::RichEditBox(QWidget* parent) : QTextEdit(parent) {
  setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  setLineWidth(2);
  setLineWrapMode(QTextEdit::WidgetWidth);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setAcceptRichText(true);
  QFont font = SongFont(12);
  font.setPointSize(9);  // 180 twips
  document()->setDefaultFont(font);
  QPalette palette = this->palette();
  palette.setColor(QPalette::Base, QColor(0xFF, 0xFF, 0xFF));
  setPalette(palette);
}

void RichEditBox::SetContent(const Text& rtf) {
  content_ = rtf;
  clear();
}

}  // namespace kolvane
