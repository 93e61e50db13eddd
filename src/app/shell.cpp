#include "app/shell.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QScreen>
#include <QWindow>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "app/gui_fonts.h"
#include "app/program_icon.h"
#include "app/qt_text.h"
#include "base/system_values.h"

namespace kolvane {
namespace {

// The private message that carries a destroy request through the event queue.
const QEvent::Type kDestroyRequest = static_cast<QEvent::Type>(QEvent::User + 1);

Qt::WindowFlags FlagsFor(const WindowDefinition& definition) {
  Qt::WindowFlags flags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
  if (definition.close_box) flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
  if (definition.minimise_button) flags |= Qt::WindowMinimizeButtonHint;
  if (definition.maximise_button) flags |= Qt::WindowMaximizeButtonHint;
  if (definition.always_on_top) flags |= Qt::WindowStaysOnTopHint;
  return flags;
}

}  // namespace

ProgramWindow::ProgramWindow(const WindowDefinition& definition, Shell& shell,
                             ProgramWindow* owner)
    : QWidget(nullptr, FlagsFor(definition)), definition_(definition), shell_(shell),
      owner_(owner) {
  setObjectName(QString::fromStdString(definition.name));
  setWindowTitle(FromCp936(definition.caption));
  // The border is fixed: the client area is the outer size less the frame metrics.
  setFixedSize(ClientWidth(definition), ClientHeight(definition));
  setAutoFillBackground(true);
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, QColor(0xF0, 0xF0, 0xF0));
  setPalette(palette);
  setFont(DefaultGuiFont());
  setWindowIcon(ProgramIcon());
  setAttribute(Qt::WA_DeleteOnClose, false);
}

QWidget* ProgramWindow::Control(std::string_view name) const {
  auto it = controls_.find(name);
  return it == controls_.end() ? nullptr : it->second;
}

void ProgramWindow::AddControl(const std::string& name, QWidget* control) {
  control->setObjectName(QString::fromStdString(name));
  controls_[name] = control;
}

void ProgramWindow::MoveTo(int left, int top) {
  left_ = left;
  top_ = top;
  move(left, top);
}

void ProgramWindow::RaiseControlEvent(const ControlDefinition& control, ControlEvent event) {
  shell_.RaiseControlEvent(*this, control, event);
}

bool ProgramWindow::event(QEvent* event) {
  if (event->type() == kDestroyRequest) {
    if (destroy_pending && !destroyed) {
      destroy_pending = false;
      shell_.DestroyWindow(*this);
    }
    return true;
  }
  return QWidget::event(event);
}

void ProgramWindow::closeEvent(QCloseEvent* event) {
  // The shell decides; Qt must not hide or delete the window on its own.
  event->ignore();
  if (!destroyed) shell_.CloseWindow(*this);
}

void ProgramWindow::keyPressEvent(QKeyEvent* event) {
  const bool esc = event->key() == Qt::Key_Escape && definition_.esc_closes;
  const bool alt_f4 = event->key() == Qt::Key_F4 && (event->modifiers() & Qt::AltModifier);
  if ((esc || alt_f4) && !destroying) {
    shell_.CloseWindow(*this);
    return;
  }
  QWidget::keyPressEvent(event);
}

Shell::Shell(HandlerRunner run_handler, ControlBuilder build_controls)
    : run_handler_(std::move(run_handler)), build_controls_(std::move(build_controls)) {}

Shell::~Shell() {
  for (ProgramWindow* window : loaded_) delete window;
}

bool Shell::LoadWindow(const WindowDefinition& definition, ProgramWindow* owner) {
  // 1. A window that is loaded already is brought forward, not made again.
  if (ProgramWindow* existing = FindWindow(definition.name)) {
    if (existing->isMinimized()) {
      existing->showNormal();
    } else {
      existing->activateWindow();
    }
    return true;
  }
  // 2. The owner must be loaded.
  if (owner && std::find(loaded_.begin(), loaded_.end(), owner) == loaded_.end()) return false;
  if (refuse_creation_.contains(definition.name)) return false;

  // 3. Created invisible, centred on the screen.
  auto* window = new ProgramWindow(definition, *this, owner);
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  window->MoveTo((screen.width() - definition.width) / 2, (screen.height() - definition.height) / 2);
  if (owner) {
    // Owned: stays above its owner and gets no taskbar button of its own.
    window->winId();
    owner->winId();
    window->windowHandle()->setTransientParent(owner->windowHandle());
  }
  loaded_.push_back(window);

  // 4. The controls.
  build_controls_(*window);

  // 5. The created event, run to completion while the window is still invisible.
  RaiseEvent(*window, WindowEvent::kCreated);
  // 6. Moved, then resized, while the window still exists.
  if (!window->destroyed) RaiseEvent(*window, WindowEvent::kMoved);
  if (!window->destroyed) RaiseEvent(*window, WindowEvent::kResized);
  // 7. Shown and activated.
  if (!window->destroyed && definition.visible) {
    window->show();
    window->raise();
    window->activateWindow();
    // Always-on-top windows stay in front of every other window of the program, also
    // where no window manager keeps them there.
    for (ProgramWindow* other : loaded_) {
      if (other != window && other->Definition().always_on_top && other->isVisible()) {
        other->raise();
      }
    }
  }
  return true;
}

ProgramWindow* Shell::FindWindow(std::string_view name) const {
  for (ProgramWindow* window : loaded_) {
    if (window->Name() == name) return window;
  }
  return nullptr;
}

ProgramWindow& Shell::RequireWindow(std::string_view name) const {
  ProgramWindow* window = FindWindow(name);
  if (!window) FatalError("window \"" + std::string(name) + "\" is not loaded");
  return *window;
}

void Shell::RequestDestroy(ProgramWindow& window) {
  window.destroy_pending = true;
  // A window deleted before the request arrives drops its posted events with it.
  QCoreApplication::postEvent(&window, new QEvent(kDestroyRequest));
}

void Shell::CloseWindow(ProgramWindow& window) {
  RaiseEvent(window, WindowEvent::kMayClose);  // no handler may refuse: none is bound
  DestroyWindow(window);
}

void Shell::DestroyWindow(ProgramWindow& window) {
  if (window.destroying || window.destroyed) return;
  window.destroying = true;
  // Owned windows go first.
  for (ProgramWindow* other : std::vector<ProgramWindow*>(loaded_)) {
    if (other->Owner() == &window) DestroyWindow(*other);
  }
  // The window still exists here: its handler may address it and its controls.
  RaiseEvent(window, WindowEvent::kWillBeDestroyed);
  window.destroyed = true;
  window.hide();
  loaded_.erase(std::remove(loaded_.begin(), loaded_.end(), &window), loaded_.end());
  window.deleteLater();
  if (loaded_.empty() && loop_running_) QCoreApplication::exit(0);
}

void Shell::SetWindowLeft(ProgramWindow& window, int value) {
  window.MoveTo(ClampWindowPosition(value), window.Top());
  RaiseEvent(window, WindowEvent::kMoved);
}

void Shell::SetWindowTop(ProgramWindow& window, int value) {
  window.MoveTo(window.Left(), ClampWindowPosition(value));
  RaiseEvent(window, WindowEvent::kMoved);
}

void Shell::RaiseEvent(ProgramWindow& window, WindowEvent event) {
  if (on_window_event_) on_window_event_(window, event);
  for (const WindowEventBinding& binding : window.Definition().events) {
    if (binding.event == event) run_handler_(binding.handler, window);
  }
}

void Shell::RaiseControlEvent(ProgramWindow& window, const ControlDefinition& control,
                              ControlEvent event) {
  for (const ControlEventBinding& binding : control.events) {
    if (binding.event == event) run_handler_(binding.handler, window);
  }
}

void Shell::FatalError(const std::string& message) {
  std::fprintf(stderr, "kolvane: fatal error: %s\n", message.c_str());
  std::fflush(stderr);
  const QString platform = QGuiApplication::platformName();
  if (qApp && platform != QLatin1String("offscreen") && platform != QLatin1String("minimal")) {
    QMessageBox::critical(nullptr, QStringLiteral("Kolvane"), QString::fromStdString(message));
  }
  std::_Exit(-1);
}

}  // namespace kolvane
