#include "app/tab_control.h"

#include <QTabBar>

#include "app/gui_fonts.h"

namespace kolvane {

TabControl::TabControl(const QStringList& pages, QWidget* parent)
    : QWidget(parent), tabs_(new QTabBar(this)) {
  tabs_->setShape(QTabBar::RoundedWest);
  tabs_->setFont(DefaultGuiFont());
  tabs_->setExpanding(false);
  tabs_->setDrawBase(false);
  for (const QString& page : pages) tabs_->addTab(page);
  tabs_->move(0, 0);
  tabs_->adjustSize();
  connect(tabs_, &QTabBar::currentChanged, this, [this](int page) {
    if (page >= 0 && page != current_) SelectPage(page);
  });
}

void TabControl::AddToPage(int page, QWidget* control, bool visible_by_definition) {
  controls_.push_back({page, control, visible_by_definition});
  control->setVisible(page == current_ && visible_by_definition);
}

void TabControl::SelectPage(int page) {
  current_ = page;
  if (tabs_->currentIndex() != page) tabs_->setCurrentIndex(page);
  for (const PageControl& c : controls_) {
    if (c.page != page) c.control->hide();
  }
  QWidget* first_focus = nullptr;
  for (const PageControl& c : controls_) {
    if (c.page != page || !c.visible) continue;
    c.control->show();
    if (!first_focus && c.control->isEnabled() && c.control->focusPolicy() != Qt::NoFocus) {
      first_focus = c.control;
    }
  }
  if (first_focus) first_focus->setFocus(Qt::OtherFocusReason);
}

}  // namespace kolvane
