#pragma once
// The program: start-up, the event loop and the exit, with the routines bound to the
// events of the window definitions.
#include <functional>
#include <memory>

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

 private:
  void RunHandler(Handler handler, ProgramWindow& window);
  std::unique_ptr<Shell> shell_;
};

// The process entry: the current directory becomes the program's folder, the exit
// routine releases the document texts, and the program runs.
int RunProgram(int argc, char** argv);

}  // namespace kolvane
