// The window layer: loading, geometry from the definitions, closing and shutdown.
#include "app/shell.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTabBar>
#include <QTimer>
#include <QWindow>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "app/canvas_view.h"
#include "app/controls.h"
#include "app/program.h"
#include "app/program_controls.h"
#include "app/rich_edit_box.h"
#include "app/tab_control.h"
#include "layout/window_definitions.h"
#include "text/codepage.h"

namespace kolvane {

// The shell's hooks for tests: windows the platform refuses to create, and an
// observer of every window event.
struct ShellTestAccess {
  static void RefuseCreation(Shell& shell, std::string_view window) {
    shell.refuse_creation_.emplace(window);
  }
  static void ObserveWindowEvents(Shell& shell,
                                  std::function<void(const ProgramWindow&, WindowEvent)> observer) {
    shell.on_window_event_ = std::move(observer);
  }
};

namespace {

// "ban created", "main moved"...
std::string EventName(const ProgramWindow& window, WindowEvent event) {
  static const char* const kNames[] = {"created", "may close", "will be destroyed", "moved",
                                       "resized"};
  return window.Name() + " " + kNames[static_cast<int>(event)];
}

// Runs the program until its loop ends, doing action once the windows are shown.
struct ProgramRun {
  int exit_code = -100;
  int exit_routine_calls = 0;
  std::size_t windows_left = 99;
  std::vector<std::string> events;
};

ProgramRun RunProgramWith(std::function<void(Program&)> action) {
  ProgramRun run;
  Program program;
  program.exit_routine = [&run] { ++run.exit_routine_calls; };
  ShellTestAccess::ObserveWindowEvents(
      program.GetShell(), [&run](const ProgramWindow& window, WindowEvent event) {
        run.events.push_back(EventName(window, event));
      });
  program.after_start = [action](Program& started) {
    QTimer::singleShot(0, [action, &started] { action(started); });
  };
  run.exit_code = program.Run();
  run.windows_left = program.GetShell().LoadedWindows().size();
  return run;
}

void SendKey(QWidget* target, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  QKeyEvent press(QEvent::KeyPress, key, modifiers);
  QApplication::sendEvent(target, &press);
}

TEST(Shutdown, EveryWayOfClosingEitherWindowEndsTheProgramOnce) {
  struct Case {
    const char* name;
    std::function<void(const Shell&)> close;
  };
  const std::vector<Case> cases = {
      {"Esc in ban", [](const Shell& s) { SendKey(&PictureControls(s).window, Qt::Key_Escape); }},
      {"Esc in main", [](const Shell& s) { SendKey(&MainControls(s).window, Qt::Key_Escape); }},
      {"Esc in the edit box",
       [](const Shell& s) { SendKey(&MainControls(s).text, Qt::Key_Escape); }},
      {"Alt+F4 in ban",
       [](const Shell& s) { SendKey(&PictureControls(s).window, Qt::Key_F4, Qt::AltModifier); }},
      {"Alt+F4 in main",
       [](const Shell& s) { SendKey(&MainControls(s).window, Qt::Key_F4, Qt::AltModifier); }},
      {"close box of ban", [](const Shell& s) { PictureControls(s).window.close(); }},
      {"close box of main", [](const Shell& s) { MainControls(s).window.close(); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const ProgramRun run = RunProgramWith([&c](Program& program) { c.close(program.GetShell()); });
    EXPECT_EQ(run.exit_code, 0);
    EXPECT_EQ(run.exit_routine_calls, 1);
    EXPECT_EQ(run.windows_left, 0u);
  }
}

TEST(Shutdown, ClosingBanDestroysMainThroughAPostedRequest) {
  const ProgramRun run = RunProgramWith([](Program& program) {
    Shell& shell = program.GetShell();
    shell.CloseWindow(PictureControls(shell).window);
    // The request to "main" is still in the queue: "main" exists until it is delivered.
    ProgramWindow* main = shell.FindWindow(window_name::kMain);
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(main->destroy_pending);
  });
  EXPECT_EQ(run.exit_routine_calls, 1);
  const std::vector<std::string> tail(run.events.end() - 3, run.events.end());
  EXPECT_EQ(tail, (std::vector<std::string>{"ban may close", "ban will be destroyed",
                                            "main will be destroyed"}));
}

TEST(Shutdown, ClosingMainDestroysItsOwnedWindowFirst) {
  const ProgramRun run = RunProgramWith([](Program& program) {
    Shell& shell = program.GetShell();
    shell.CloseWindow(MainControls(shell).window);
  });
  EXPECT_EQ(run.exit_routine_calls, 1);
  EXPECT_EQ(run.exit_code, 0);
  const std::vector<std::string> tail(run.events.end() - 3, run.events.end());
  EXPECT_EQ(tail, (std::vector<std::string>{"main may close", "ban will be destroyed",
                                            "main will be destroyed"}));
}

TEST(StartUp, WindowsAreLoadedInOrderAndBanIsPlacedBeforeItIsShown) {
  int ban_left_when_shown = -1;
  int ban_top_when_shown = -1;
  bool main_visible_when_ban_created = true;
  Program program;
  std::vector<std::string> events;
  ShellTestAccess::ObserveWindowEvents(
      program.GetShell(), [&](const ProgramWindow& window, WindowEvent event) {
        if (window.Name() == window_name::kPicture && event == WindowEvent::kCreated) {
          main_visible_when_ban_created = MainControls(program.GetShell()).window.isVisible();
          EXPECT_FALSE(window.isVisible());
        }
        events.push_back(EventName(window, event));
      });
  program.after_start = [&](Program& started) {
    Shell& shell = started.GetShell();
    ProgramWindow& ban = PictureControls(shell).window;
    ProgramWindow& main = MainControls(shell).window;
    ban_left_when_shown = ban.Left();
    ban_top_when_shown = ban.Top();
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(main.Left(), (screen.width() - 964) / 2);
    EXPECT_EQ(main.Top(), (screen.height() - 633) / 2);
    EXPECT_TRUE(ban.isVisible());
    EXPECT_TRUE(main.isVisible());
    EXPECT_EQ(ban.windowHandle()->transientParent(), main.windowHandle());
    EXPECT_TRUE(ban.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(main.windowFlags() & Qt::WindowStaysOnTopHint);
    for (ProgramWindow* w : {&ban, &main}) {
      EXPECT_FALSE(w->windowFlags() & Qt::WindowMinimizeButtonHint);
      EXPECT_FALSE(w->windowFlags() & Qt::WindowMaximizeButtonHint);
      EXPECT_EQ(w->minimumSize(), w->maximumSize());  // not resizable
    }
    QTimer::singleShot(0, [&shell] { shell.CloseWindow(MainControls(shell).window); });
  };
  program.Run();
  EXPECT_FALSE(main_visible_when_ban_created);
  EXPECT_EQ(ban_left_when_shown, 0);
  EXPECT_EQ(ban_top_when_shown, 0);
  const std::vector<std::string> start(events.begin(), events.begin() + 7);
  EXPECT_EQ(start, (std::vector<std::string>{"main created", "ban created", "ban moved",
                                             "ban moved", "ban moved", "ban resized",
                                             "main moved"}));
}

// Loads both windows without running the event loop.
class LoadedProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    shell().LoadWindow(MainWindowDefinition(), nullptr);
    ASSERT_EQ(shell().LoadedWindows().size(), 2u);
  }
  Shell& shell() { return program_.GetShell(); }
  Program program_;
};

TEST_F(LoadedProgram, ClientSizesFollowTheFrameMetrics) {
  EXPECT_EQ(MainControls(shell()).window.size(), QSize(958, 605));
  EXPECT_EQ(PictureControls(shell()).window.size(), QSize(250, 210));
}

TEST_F(LoadedProgram, EveryControlSitsWhereItsDefinitionPutsIt) {
  for (const WindowDefinition* definition : {&MainWindowDefinition(), &PictureWindowDefinition()}) {
    ProgramWindow& window = shell().RequireWindow(definition->name);
    for (const ControlDefinition& control : definition->controls) {
      SCOPED_TRACE(control.name);
      if (control.kind == ControlKind::kFileDialog) {
        EXPECT_NE(window.findChild<QObject*>(QString::fromStdString(control.name)), nullptr);
        EXPECT_EQ(window.Control(control.name), nullptr);  // no window of its own
        continue;
      }
      QWidget* widget = window.Control(control.name);
      ASSERT_NE(widget, nullptr);
      EXPECT_EQ(widget->objectName().toStdString(), control.name);
      EXPECT_EQ(widget->geometry(), QRect(control.left, control.top, control.width, control.height));
      QWidget* expected_parent =
          control.parent.empty() ? static_cast<QWidget*>(&window) : window.Control(control.parent);
      EXPECT_EQ(widget->parentWidget(), expected_parent);
      EXPECT_EQ(widget->focusPolicy() != Qt::NoFocus, control.tab_stop);
    }
  }
}

TEST_F(LoadedProgram, ControlsCarryTheirTexts) {
  const MainWindowControls main = MainControls(shell());
  EXPECT_EQ(main.load.text(), "Load");
  EXPECT_EQ(main.start.text(), "Start");
  EXPECT_EQ(main.clear.text(), "Clear");
  EXPECT_EQ(main.text.text(), "光");
  EXPECT_EQ(main.window.windowTitle(), "Kolvane     kolvane.org  1.2");
  EXPECT_EQ(PictureControls(shell()).window.windowTitle(), "ban");

  const Text& notes = main.notes.TextBytes();
  EXPECT_EQ(notes.size(), 231u);
  // "Load=载入图片" in code page 936, then CR LF.
  EXPECT_EQ(notes.substr(0, 15), "Load=\xD4\xD8\xC8\xEB\xCD\xBC\xC6\xAC\r\n");
  EXPECT_EQ(notes.substr(notes.size() - 5), "\xC4\xAA\xB9\xD6.");  // "莫怪.", no CR LF after
  EXPECT_EQ(std::count(notes.begin(), notes.end(), '\n'), 18);
}

TEST_F(LoadedProgram, SelectingAPageShowsOnlyItsControls) {
  const MainWindowControls main = MainControls(shell());
  TabControl& tabs = main.tabs;
  const CanvasView& canvas = main.text_art;
  const RichEditBox& rich = main.document;
  EXPECT_EQ(tabs.Tabs()->shape(), QTabBar::RoundedWest);
  EXPECT_EQ(tabs.CurrentPage(), 0);
  EXPECT_FALSE(canvas.isHidden());
  EXPECT_TRUE(rich.isHidden());

  tabs.Tabs()->setCurrentIndex(1);  // as a click on "Text" does
  EXPECT_TRUE(canvas.isHidden());
  EXPECT_FALSE(rich.isHidden());

  tabs.SelectPage(0);
  EXPECT_FALSE(canvas.isHidden());
  EXPECT_TRUE(rich.isHidden());
}

TEST_F(LoadedProgram, WindowPositionsAreKeptWithinLimits) {
  ProgramWindow& ban = PictureControls(shell()).window;
  const struct {
    int value;
    int expected;
  } cases[] = {{40000, 32627}, {32627, 32627}, {-40000, -32627}, {-5, -5}, {0, 0}};
  for (const auto& c : cases) {
    shell().SetWindowLeft(ban, c.value);
    shell().SetWindowTop(ban, 7);
    EXPECT_EQ(ban.Left(), c.expected);
    EXPECT_EQ(ban.Top(), 7);
    shell().SetWindowTop(ban, c.value);
    EXPECT_EQ(ban.Top(), c.expected);
    EXPECT_EQ(ban.Left(), c.expected);
  }
}

TEST_F(LoadedProgram, ProgressBarKeepsItsValuesWithinRange) {
  ProgressBar& bar = MainControls(shell()).progress;
  EXPECT_EQ(bar.Maximum(), 100);
  EXPECT_EQ(bar.Position(), 0);
  bar.SetMaximum(40000);
  EXPECT_EQ(bar.Maximum(), 32767);
  bar.SetPosition(40000);
  EXPECT_EQ(bar.Position(), 32767);
  bar.SetPosition(-5);
  EXPECT_EQ(bar.Position(), 0);
  bar.SetMaximum(-5);
  EXPECT_EQ(bar.Maximum(), 0);
  bar.SetMaximum(10);
  bar.SetPosition(25);  // above the maximum: the bar shows full
  EXPECT_EQ(bar.Position(), 10);
}

TEST_F(LoadedProgram, HyperlinkTakesTheVisitedColourOnlyWhenSomethingStarted) {
  Hyperlink& link = MainControls(shell()).link;
  EXPECT_EQ(link.Target(), "https://kolvane.org/");
  EXPECT_EQ(link.CurrentColour(), Hyperlink::kNormalColour);
  EXPECT_EQ(link.cursor().shape(), Qt::PointingHandCursor);

  static QString opened;
  Hyperlink::opener = [](const QString& target) {
    opened = target;
    return true;
  };
  link.Open();
  EXPECT_EQ(opened, "https://kolvane.org/");
  EXPECT_EQ(link.CurrentColour(), Hyperlink::kVisitedColour);

  Hyperlink::opener = [](const QString&) { return false; };
  link.Open();
  EXPECT_EQ(link.CurrentColour(), Hyperlink::kNormalColour);
}

TEST_F(LoadedProgram, LoadingALoadedWindowAgainCreatesNothing) {
  ProgramWindow* ban = &PictureControls(shell()).window;
  EXPECT_TRUE(shell().LoadWindow(PictureWindowDefinition(), &MainControls(shell()).window));
  EXPECT_EQ(&PictureControls(shell()).window, ban);
  EXPECT_EQ(shell().LoadedWindows().size(), 2u);
}

TEST(FatalError, AddressingAWindowThatIsNotLoadedEndsTheProcessWithMinusOne) {
  EXPECT_EXIT(
      {
        Program program;
        ShellTestAccess::RefuseCreation(program.GetShell(), window_name::kPicture);
        bool exit_routine_ran = false;
        program.exit_routine = [&] { exit_routine_ran = true; };
        program.GetShell().LoadWindow(MainWindowDefinition(), nullptr);
        // "main" is shown alone; the first command that needs "ban" is fatal.
        if (program.GetShell().LoadedWindows().size() == 1) {
          MainControls(program.GetShell()).start.click();
        }
        std::exit(exit_routine_ran ? 3 : 4);
      },
      ::testing::ExitedWithCode(255), "window \"ban\" is not loaded");
}

TEST(FatalError, MainThatCannotBeCreatedEndsTheProgramWithoutWindows) {
  Program program;
  ShellTestAccess::RefuseCreation(program.GetShell(), window_name::kMain);
  int exit_routine_calls = 0;
  program.exit_routine = [&] { ++exit_routine_calls; };
  EXPECT_EQ(program.Run(), 0);
  EXPECT_EQ(exit_routine_calls, 1);
  EXPECT_TRUE(program.GetShell().LoadedWindows().empty());
}

}  // namespace
}  // namespace kolvane
