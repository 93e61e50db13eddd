#include "app/program_controls.h"

#include <QLineEdit>
#include <QPushButton>
#include <string>
#include <string_view>

#include "app/canvas_view.h"
#include "app/controls.h"
#include "app/file_dialog.h"
#include "app/rich_edit_box.h"
#include "app/shell.h"
#include "app/tab_control.h"
#include "layout/window_definitions.h"

namespace kolvane {
namespace {

[[noreturn]] void NotLoaded(std::string_view control) {
  Shell::FatalError("control \"" + std::string(control) + "\" is not loaded");
}

template <class T>
T& Require(const ProgramWindow& window, std::string_view name) {
  QWidget* widget = window.Control(name);
  if (!widget) NotLoaded(name);
  auto* typed = qobject_cast<T*>(widget);
  if (!typed) Shell::FatalError("control of an unexpected kind: " + std::string(name));
  return *typed;
}

// The file dialog has no window of its own: it is a child object of its window.
FileDialog& RequireFileDialog(const ProgramWindow& window, std::string_view name) {
  auto* dialog = window.findChild<FileDialog*>(
      QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
  if (!dialog) NotLoaded(name);
  return *dialog;
}

}  // namespace

MainWindowControls MainControls(const Shell& shell) {
  ProgramWindow& main = shell.RequireWindow(window_name::kMain);
  return {
      .window = main,
      .text_art = Require<CanvasView>(main, control_name::kTextArt),
      .progress = Require<ProgressBar>(main, control_name::kProgress),
      .document = Require<RichEditBox>(main, control_name::kDocument),
      .text = Require<QLineEdit>(main, control_name::kText),
      .file_dialog = RequireFileDialog(main, control_name::kFileDialog),
      .load = Require<QPushButton>(main, control_name::kLoadButton),
      .start = Require<QPushButton>(main, control_name::kStartButton),
      .clear = Require<QPushButton>(main, control_name::kClearButton),
      .tabs = Require<TabControl>(main, control_name::kTabs),
      .notes = Require<Label>(main, control_name::kNotes),
      .link = Require<Hyperlink>(main, control_name::kLink),
  };
}

PictureWindowControls PictureControls(const Shell& shell) {
  ProgramWindow& ban = shell.RequireWindow(window_name::kPicture);
  return {.window = ban, .picture = Require<CanvasView>(ban, control_name::kPicture)};
}

}  // namespace kolvane
