#include "app/window_builder.h"

#include <QLineEdit>
#include <QPushButton>
#include <QStringList>

#include "app/canvas_view.h"
#include "app/controls.h"
#include "app/file_dialog.h"
#include "app/gui_fonts.h"
#include "app/qt_text.h"
#include "app/rich_edit_box.h"
#include "app/shell.h"
#include "app/tab_control.h"
#include "layout/window_definitions.h"
#include "resources/resources.h"

namespace kolvane {
namespace {

constexpr Colour kLabelColour = 0x000080FF;  // orange

QWidget* MakeEditBox(const ControlDefinition& definition, QWidget* parent) {
  auto* edit = new QLineEdit(FromCp936(definition.text), parent);
  edit->setFont(SongFont(14));
  edit->setMaxLength(0x7FFFFFFF);
  edit->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  QPalette palette = edit->palette();
  palette.setColor(QPalette::Text, Qt::black);
  palette.setColor(QPalette::Base, Qt::white);
  edit->setPalette(palette);
  return edit;
}

QWidget* MakeButton(ProgramWindow& window, const ControlDefinition& definition, QWidget* parent) {
  auto* button = new QPushButton(FromCp936(definition.text), parent);
  button->setFont(DefaultGuiFont());
  button->setAutoDefault(false);
  button->setDefault(false);
  QObject::connect(button, &QPushButton::clicked, &window, [&window, &definition] {
    window.RaiseControlEvent(definition, ControlEvent::kClick);
  });
  return button;
}

QWidget* MakeTabControl(const ControlDefinition& definition, QWidget* parent) {
  QStringList pages;
  for (const Text& page : definition.pages) pages << FromCp936(page);
  return new TabControl(pages, parent);
}

QByteArray Bytes(std::span<const std::uint8_t> bytes) {
  return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<int>(bytes.size()));
}

void BuildControl(ProgramWindow& window, const ControlDefinition& control);

// The tab control a page control sits on, built first when its definition comes later.
TabControl* ParentTabs(ProgramWindow& window, const ControlDefinition& control) {
  if (!window.Control(control.parent)) {
    const ControlDefinition* parent = FindControl(window.Definition(), control.parent);
    if (!parent || parent->kind != ControlKind::kTabControl) {
      Shell::FatalError("window definitions name an unknown parent: " + control.parent);
    }
    BuildControl(window, *parent);
  }
  return qobject_cast<TabControl*>(window.Control(control.parent));
}

void BuildControl(ProgramWindow& window, const ControlDefinition& control) {
  if (window.Control(control.name)) return;
  if (control.kind == ControlKind::kFileDialog) {
    // A component without a window: it lives as long as its window.
    if (window.findChild<FileDialog*>(QString::fromStdString(control.name))) return;
    auto* dialog = new FileDialog(&window);
    dialog->setObjectName(QString::fromStdString(control.name));
    return;
  }
  QWidget* parent = &window;
  TabControl* tabs = control.parent.empty() ? nullptr : ParentTabs(window, control);
  if (tabs) parent = tabs;

  QWidget* widget = nullptr;
  switch (control.kind) {
    case ControlKind::kPictureBox:
      widget = new PictureBox(Bytes(resources::link_picture()), parent);
      break;
    case ControlKind::kHyperlink:
      widget = new Hyperlink(control.text, QString::fromStdString(control.link_target), parent);
      break;
    case ControlKind::kLabel:
      widget = new Label(control.text, kLabelColour, parent);
      break;
    case ControlKind::kProgressBar:
      widget = new ProgressBar(parent);
      break;
    case ControlKind::kCanvas:
      widget = new CanvasView(control, parent->width(), parent->height(), parent);
      break;
    case ControlKind::kEditBox:
      widget = MakeEditBox(control, parent);
      break;
    case ControlKind::kButton:
      widget = MakeButton(window, control, parent);
      break;
    case ControlKind::kTabControl:
      widget = MakeTabControl(control, parent);
      break;
    case ControlKind::kRichEdit:
      widget = new RichEditBox(parent);
      break;
    case ControlKind::kFileDialog:
      return;
  }
  widget->setGeometry(control.left, control.top, control.width, control.height);
  widget->setEnabled(!control.disabled);
  widget->setFocusPolicy(control.tab_stop ? Qt::StrongFocus : Qt::NoFocus);
  window.AddControl(control.name, widget);
  if (tabs) {
    tabs->AddToPage(control.page, widget, control.visible);
  } else {
    widget->setVisible(control.visible);
  }
}

}  // namespace

void BuildControls(ProgramWindow& window) {
  for (const ControlDefinition& control : window.Definition().controls) {
    BuildControl(window, control);
  }
}

}  // namespace kolvane
