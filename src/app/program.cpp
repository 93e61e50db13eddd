#include "app/program.h"

#include <QApplication>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "app/gui_fonts.h"
#include "app/handlers.h"
#include "app/window_builder.h"
#include "convert/document_state.h"

namespace kolvane {

Program::Program()
    : shell_(std::make_unique<Shell>(
          [this](Handler handler, ProgramWindow& window) { RunHandler(handler, window); },
          [](ProgramWindow& window) { BuildControls(window); })) {}

Program::~Program() = default;

void Program::RunHandler(Handler handler, ProgramWindow& window) {
  Shell& shell = *shell_;
  switch (handler) {
    case Handler::kOpenPictureWindow:
      shell.LoadWindow(PictureWindowDefinition(), &window);
      break;
    case Handler::kPlacePictureWindow:
      shell.SetWindowLeft(window, 0);
      shell.SetWindowTop(window, 0);
      break;
    case Handler::kCloseMainWindow:
      shell.RequestDestroy(shell.RequireWindow(window_name::kMain));
      break;
    case Handler::kLoadPicture:
      LoadPicture(shell);
      break;
    case Handler::kConvertPicture:
      ConvertPicture(shell);
      break;
    case Handler::kClearCanvas:
      ClearCanvas(shell);
      break;
  }
}

int Program::Run() {
  shell_->LoadWindow(MainWindowDefinition(), nullptr);
  if (!shell_->LoadedWindows().empty()) {
    if (after_start) after_start(*this);
    shell_->SetLoopRunning(true);
    QApplication::exec();
    shell_->SetLoopRunning(false);
    // Windows destroyed during the loop are deleted now, before the exit routine.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  auto routine = std::move(exit_routine);
  exit_routine = nullptr;
  if (routine) routine();
  return 0;
}

int RunProgram(int argc, char** argv) {
  // The program's folder becomes the current directory.
  std::error_code error;
  const auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
  if (!error) std::filesystem::current_path(executable.parent_path(), error);

  InstallFontAlias();
  QApplication application(argc, argv);
  Program program;
  program.exit_routine = &ReleaseDocumentTexts;
  // KOLVANE_SCREENSHOT=FILE: once the windows are up, save the screen to FILE and close
  // the program (used to show the program where nobody watches a display).
  if (const char* screenshot = std::getenv("KOLVANE_SCREENSHOT")) {
    const QString path = QString::fromLocal8Bit(screenshot);
    program.after_start = [path](Program& started) {
      QTimer::singleShot(1500, [&started, path] {
        const bool saved = QGuiApplication::primaryScreen()->grabWindow(0).save(path, "PNG");
        std::printf(saved ? "screenshot: %s\n" : "screenshot could not be saved: %s\n",
                    path.toLocal8Bit().constData());
        std::fflush(stdout);
        if (ProgramWindow* main = started.GetShell().FindWindow(window_name::kMain)) {
          started.GetShell().CloseWindow(*main);
        }
      });
    };
  }
  return program.Run();
}

}  // namespace kolvane
