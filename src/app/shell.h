#pragma once
// The window layer: loading windows from their definitions, the list of loaded
// windows, deferred destruction, closing, and the fatal error of the layer.
#include <QWidget>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "layout/window_definitions.h"

namespace kolvane {

class Shell;

// A top-level window of the program, built from its definition.
class ProgramWindow : public QWidget {
  Q_OBJECT
 public:
  ProgramWindow(const WindowDefinition& definition, Shell& shell, ProgramWindow* owner);

  const WindowDefinition& Definition() const { return definition_; }
  const std::string& Name() const { return definition_.name; }
  ProgramWindow* Owner() const { return owner_; }

  // The control of that name, or nullptr.
  QWidget* Control(std::string_view name) const;
  void AddControl(const std::string& name, QWidget* control);

  // Outer position and size, frame and title bar included.
  int Left() const { return left_; }
  int Top() const { return top_; }
  void MoveTo(int left, int top);
  // Runs the handlers bound to an event of one of this window's controls.
  void RaiseControlEvent(const ControlDefinition& control, ControlEvent event);

  bool destroy_pending = false;
  bool destroying = false;  // its destruction has begun
  bool destroyed = false;   // it is gone; what remains is the object awaiting deletion

 protected:
  bool event(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  const WindowDefinition& definition_;
  Shell& shell_;
  ProgramWindow* owner_;
  std::map<std::string, QWidget*, std::less<>> controls_;
  int left_ = 0;
  int top_ = 0;
};

class Shell {
 public:
  // Runs the routine bound to an event, with the window that raised it.
  using HandlerRunner = std::function<void(Handler, ProgramWindow&)>;
  // Builds the controls of a window being loaded (step 4 of loading).
  using ControlBuilder = std::function<void(ProgramWindow&)>;

  Shell(HandlerRunner run_handler, ControlBuilder build_controls);
  ~Shell();
  Shell(const Shell&) = delete;
  Shell& operator=(const Shell&) = delete;

  // Creates, sets up and shows a window; true when it exists afterwards. An owner,
  // when given, must be a loaded window.
  bool LoadWindow(const WindowDefinition& definition, ProgramWindow* owner);

  // The loaded window of that name, or nullptr.
  ProgramWindow* FindWindow(std::string_view name) const;
  // The loaded window of that name; a fatal error when it is not loaded.
  ProgramWindow& RequireWindow(std::string_view name) const;

  // Asks a loaded window to destroy itself; the destruction happens when the event
  // loop next delivers the request.
  void RequestDestroy(ProgramWindow& window);
  // Closing as the user does it: may-close (always allowed), then destruction.
  void CloseWindow(ProgramWindow& window);
  // Destroys a window: its owned windows first, then its will-be-destroyed event.
  void DestroyWindow(ProgramWindow& window);

  // Move a loaded window; values beyond +-32627 are brought within.
  void SetWindowLeft(ProgramWindow& window, int value);
  void SetWindowTop(ProgramWindow& window, int value);

  // Runs the handlers bound to a control's event.
  void RaiseControlEvent(ProgramWindow& window, const ControlDefinition& control,
                         ControlEvent event);

  const std::vector<ProgramWindow*>& LoadedWindows() const { return loaded_; }
  void SetLoopRunning(bool running) { loop_running_ = running; }

  // Shows an error message and ends the process at once with exit code -1, without
  // the exit routine.
  [[noreturn]] static void FatalError(const std::string& message);

 private:
  // The tests' way to the hooks below; defined by the tests alone.
  friend struct ShellTestAccess;

  void RaiseEvent(ProgramWindow& window, WindowEvent event);

  HandlerRunner run_handler_;
  ControlBuilder build_controls_;
  std::vector<ProgramWindow*> loaded_;
  bool loop_running_ = false;
  // Window names the platform refuses to create (to exercise the failure paths).
  std::set<std::string, std::less<>> refuse_creation_;
  // Called for every window event raised, bound or not, in order.
  std::function<void(const ProgramWindow&, WindowEvent)> on_window_event_;
};

}  // namespace kolvane
