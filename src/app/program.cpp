#include "app/program.h"

#include <QApplication>
#include <QFile>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string_view>
#include <system_error>

#include "app/gui_fonts.h"
#include "app/handlers.h"
#include "app/window_builder.h"
#include "convert/document_state.h"

namespace kolvane {
namespace {

constexpr const char* kUsage =
    "usage: kolvane [PICTURE]\n"
    "\n"
    "Opens Kolvane's windows, which turn a picture into coloured text art. PICTURE\n"
    "(JPEG, Windows bitmap, GIF, icon, cursor or PCX) is loaded at start, as the Load\n"
    "button loads a file; without it, the program starts with its built-in picture.\n"
    "\n"
    "  --help     show this help and exit\n"
    "  --version  show the program's version and exit\n"
    "\n"
    "Qt's own options, such as -platform NAME, are understood as well.\n";

}  // namespace

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
    LoadStartPicture();
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

void Program::LoadStartPicture() {
  if (start_picture.isEmpty() || !shell_->FindWindow(window_name::kMain) ||
      !shell_->FindWindow(window_name::kPicture)) {
    return;
  }
  const std::string refused = LoadPictureFrom(*shell_, start_picture);
  if (!refused.empty()) {
    std::fprintf(stderr, "kolvane: %s: %s\n", QFile::encodeName(start_picture).constData(),
                 refused.c_str());
  }
}

std::optional<std::string> PictureArgument(int argc, char** argv,
                                           const std::filesystem::path& start_folder) {
  std::optional<std::string> picture;
  bool options_ended = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (!options_ended && arg == "--") {
      options_ended = true;
    } else if (!options_ended && arg.size() > 1 && arg[0] == '-') {
      std::fprintf(stderr, "kolvane: unknown option %s\n", argv[i]);
      return std::nullopt;
    } else if (picture) {
      std::fprintf(stderr, "kolvane: only one picture can be loaded at start\n");
      return std::nullopt;
    } else {
      // An absolute arg replaces start_folder.
      picture = (start_folder / arg).string();
    }
  }
  return picture.value_or(std::string());
}

int RunProgram(int argc, char** argv) {
  for (int i = 1; i < argc && std::string_view(argv[i]) != "--"; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--version") {
      std::printf("kolvane %s\n", KOLVANE_VERSION);
      return 0;
    }
    if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    }
  }

  // The program's folder becomes the current directory; a relative PICTURE names a
  // file in the folder the user started the program from.
  std::error_code error;
  const std::filesystem::path start_folder = std::filesystem::current_path(error);
  const auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
  if (!error) std::filesystem::current_path(executable.parent_path(), error);

  InstallFontAlias();
  QApplication application(argc, argv);
  const std::optional<std::string> picture = PictureArgument(argc, argv, start_folder);
  if (!picture) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  Program program;
  program.exit_routine = &ReleaseDocumentTexts;
  program.start_picture = QFile::decodeName(picture->c_str());
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
