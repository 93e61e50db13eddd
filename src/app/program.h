#pragma once
// The program: start-up, the event loop and the exit, with the routines bound to the
// events of the window definitions.
#include <QString>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/shell.h"

namespace kolvane {

class Program {
 public:
  Program();
  ~Program();

  // Loads window "main" (which loads "ban"), runs the event loop while a window is
  // loaded, then calls the exit routine once. Gives the process's exit code.
  // A QApplication must exist.
  int Run();

  Shell& GetShell() { return *shell_; }

  // The exit routine slot, called at most once, at the end of Run().
  std::function<void()> exit_routine;
  // Runs once the windows are shown, before the event loop (for tests and screenshots).
  std::function<void(Program&)> after_start;
  // A picture file that Run() loads once the windows are shown, as a Load in which the
  // user chose it would; empty for none. A relative path is taken from the current
  // directory at that time.
  QString start_picture;

 private:
  void RunHandler(Handler handler, ProgramWindow& window);
  void LoadStartPicture();
  std::unique_ptr<Shell> shell_;
};

// The picture named on a command line from which QApplication has taken its own
// options: "" for none, else its path, relative ones taken from start_folder; nothing
// (after a message on standard error) for an unknown option or a second picture.
std::optional<std::string> PictureArgument(int argc, char** argv,
                                           const std::filesystem::path& start_folder);

// The process entry: --version and --help are answered before any window system is
// reached; then the current directory becomes the program's folder, the exit routine
// releases the document texts, and the program runs, loading the picture named on the
// command line.
int RunProgram(int argc, char** argv);

}  // namespace kolvane
