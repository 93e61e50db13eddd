#pragma once
// A tab control with its tabs on the left edge. The controls of its pages are its own
// children, placed in its client area; selecting a page hides the controls of the
// other pages and shows those of the selected one.
#include <QWidget>
#include <vector>

class QTabBar;

namespace kolvane {

class TabControl : public QWidget {
  Q_OBJECT
 public:
  TabControl(const QStringList& pages, QWidget* parent);

  // Puts control on page (0-based); visible_by_definition says whether it shows
  // when its page is selected.
  void AddToPage(int page, QWidget* control, bool visible_by_definition);
  int CurrentPage() const { return current_; }
  // Hides every control of the other pages, shows the visible ones of this page and
  // gives the focus to the first of them that can take it.
  void SelectPage(int page);
  QTabBar* Tabs() const { return tabs_; }

 private:
  struct PageControl {
    int page;
    QWidget* control;
    bool visible;
  };
  QTabBar* tabs_;
  std::vector<PageControl> controls_;
  int current_ = 0;
};

}  // namespace kolvane
