// Start-up from a command line: the picture named on it, loaded as Load would load it;
// --version without a display; and the folder the first Load starts in.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "app/canvas_view.h"
#include "app/file_dialog.h"
#include "app/handlers.h"
#include "app/program.h"
#include "app/program_controls.h"
#include "canvas/canvas.h"

namespace kolvane {
namespace {

const QString kPictures = QStringLiteral(KOLVANE_TEST_DATA "/pictures/");

// What the windows hold once the program is up, and where the next Load's dialog
// starts.
struct Started {
  int width = -1;  // of 画板2
  int height = -1;
  std::vector<std::uint8_t> picture;  // 画板2's background picture
  QString file_name;                  // the file dialog's
  QString next_load_starts_at;

  bool operator==(const Started&) const = default;
};

void PrintTo(const Started& s, std::ostream* out) {
  *out << s.width << " x " << s.height << ", picture of " << s.picture.size()
       << " bytes, file name \"" << s.file_name.toStdString() << "\", next Load starts at \""
       << s.next_load_starts_at.toStdString() << '"';
}

// Runs the program with start_picture, does then() once the windows are up, and gives
// what they hold after it; the program is closed once the event loop runs.
Started RunProgramWith(const QString& start_picture,
                       const std::function<void(Shell&)>& then = nullptr) {
  Started started;
  Program program;
  program.start_picture = start_picture;
  program.after_start = [&](Program& running) {
    Shell& shell = running.GetShell();
    if (then) then(shell);
    const Canvas& canvas = PictureControls(shell).picture.Model();
    started.width = canvas.Width();
    started.height = canvas.Height();
    started.picture.assign(canvas.BackgroundPicture().begin(), canvas.BackgroundPicture().end());
    FileDialog& dialog = MainControls(shell).file_dialog;
    started.file_name = dialog.FileName();
    dialog.chooser = [&started](QWidget*, const QString& initial) {
      started.next_load_starts_at = initial;
      return QString();
    };
    LoadPicture(shell);
    QTimer::singleShot(0, [&shell] { shell.CloseWindow(MainControls(shell).window); });
  };
  EXPECT_EQ(program.Run(), 0);
  return started;
}

// The state after a Load in which the user chose path, in a program started without
// a picture.
Started LoadedWithTheLoadButton(const QString& path) {
  return RunProgramWith(QString(), [&path](Shell& shell) {
    MainControls(shell).file_dialog.chooser = [&path](QWidget*, const QString&) { return path; };
    LoadPicture(shell);
  });
}

TEST(StartPicture, IsLoadedAsTheLoadButtonLoadsIt) {
  struct Case {
    const char* name;
    QString path;
    int width;  // what 画板2 then measures
    int height;
  };
  const std::vector<Case> cases = {
      {"JPEG", kPictures + "load_640x480.jpg", 640, 480},
      {"icon", kPictures + "e2e_icon.ico", 32, 32},
      {"not a picture", QDir::cleanPath(kPictures + "../../CMakeLists.txt"), 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Started started = RunProgramWith(c.path);
    EXPECT_EQ(started.width, c.width);
    EXPECT_EQ(started.height, c.height);
    EXPECT_EQ(started.file_name, QFileInfo(c.path).absoluteFilePath());
    EXPECT_EQ(started.next_load_starts_at, started.file_name);
    EXPECT_EQ(started, LoadedWithTheLoadButton(c.path));
  }
}

TEST(StartPicture, ARelativePathIsTakenFromTheCurrentDirectory) {
  const QString before = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(kPictures));
  const Started started = RunProgramWith(QStringLiteral("load_640x480.jpg"));
  QDir::setCurrent(before);
  EXPECT_EQ(started.width, 640);
  EXPECT_EQ(started.file_name, QFileInfo(kPictures + "load_640x480.jpg").absoluteFilePath());
}

TEST(StartPicture, APathThatNamesNoFileLeavesTheProgramAsItStartsWithout) {
  const Started plain = RunProgramWith(QString());
  EXPECT_EQ(plain.width, 104);
  EXPECT_EQ(plain.height, 128);
  EXPECT_FALSE(plain.picture.empty());
  EXPECT_TRUE(plain.file_name.isEmpty());
  for (const QString& path : {kPictures + "no_such_picture.jpg", kPictures}) {
    SCOPED_TRACE(path.toStdString());
    EXPECT_EQ(RunProgramWith(path), plain);
  }
}

// argv for PictureArgument, the program's name first.
class Arguments {
 public:
  explicit Arguments(std::vector<std::string> arguments) : strings_(std::move(arguments)) {
    strings_.insert(strings_.begin(), "kolvane");
    for (std::string& s : strings_) pointers_.push_back(s.data());
  }
  int argc() const { return static_cast<int>(pointers_.size()); }
  char** argv() { return pointers_.data(); }

 private:
  std::vector<std::string> strings_;
  std::vector<char*> pointers_;
};

TEST(PictureArgument, RelativePathsAreTakenFromTheStartFolder) {
  struct Case {
    std::vector<std::string> arguments;
    std::optional<std::string> picture;  // nothing: a usage error
  };
  const std::vector<Case> cases = {
      {{}, ""},
      {{"cat.jpg"}, "/home/u/cat.jpg"},
      {{"../shared/cat.jpg"}, "/home/u/../shared/cat.jpg"},
      {{"/srv/cat.jpg"}, "/srv/cat.jpg"},
      {{"--", "-cat.jpg"}, "/home/u/-cat.jpg"},
      {{"--colour"}, std::nullopt},
      {{"a.jpg", "b.jpg"}, std::nullopt},
  };
  for (const Case& c : cases) {
    Arguments arguments(c.arguments);
    SCOPED_TRACE(testing::PrintToString(c.arguments));
    EXPECT_EQ(PictureArgument(arguments.argc(), arguments.argv(), "/home/u"), c.picture);
  }
}

// Sets an environment variable for the life of the object.
class ScopedEnvironment {
 public:
  ScopedEnvironment(const char* name, const QByteArray& value)
      : name_(name), had_(qEnvironmentVariableIsSet(name)), old_(qgetenv(name)) {
    qputenv(name, value);
  }
  ~ScopedEnvironment() {
    if (had_) {
      qputenv(name_, old_);
    } else {
      qunsetenv(name_);
    }
  }

 private:
  const char* name_;
  bool had_;
  QByteArray old_;
};

TEST(FirstLoad, StartsInThePicturesFolderOrElseAtHome) {
  struct Case {
    const char* name;
    QString make_folder;     // under home ("" = none)
    QByteArray user_dirs;    // the user's user-dirs.dirs ("" = none)
    QString starts_in;       // under home
  };
  const std::vector<Case> cases = {
      {"Pictures", QStringLiteral("Pictures"), "", QStringLiteral("Pictures")},
      {"no pictures folder", QString(), "", QString()},
      {"the user's own pictures folder", QStringLiteral("Bilder"),
       "XDG_PICTURES_DIR=\"$HOME/Bilder\"\n", QStringLiteral("Bilder")},
      {"the user's pictures folder is missing", QString(),
       "XDG_PICTURES_DIR=\"$HOME/Bilder\"\n", QString()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    const QDir dir(home.path());
    if (!c.make_folder.isEmpty()) {
      ASSERT_TRUE(dir.mkpath(c.make_folder));
    }
    ASSERT_TRUE(dir.mkpath(QStringLiteral(".config")));
    if (!c.user_dirs.isEmpty()) {
      QFile file(dir.filePath(QStringLiteral(".config/user-dirs.dirs")));
      ASSERT_TRUE(file.open(QIODevice::WriteOnly));
      file.write(c.user_dirs);
    }
    const ScopedEnvironment home_variable("HOME", QFile::encodeName(home.path()));
    const ScopedEnvironment config_variable("XDG_CONFIG_HOME",
                                            QFile::encodeName(dir.filePath(".config")));

    const QString picture = kPictures + "e2e_wide.bmp";
    std::vector<QString> offered;
    RunProgramWith(QString(), [&](Shell& shell) {
      MainControls(shell).file_dialog.chooser = [&](QWidget*, const QString& initial) {
        offered.push_back(initial);
        return offered.size() == 1 ? QString() : picture;  // cancel, then choose
      };
      LoadPicture(shell);
      LoadPicture(shell);
      LoadPicture(shell);
    });
    ASSERT_EQ(offered.size(), 3u);
    const QString folder = QDir::cleanPath(dir.filePath(c.starts_in));
    EXPECT_EQ(QDir::cleanPath(offered[0]), folder);
    EXPECT_EQ(offered[1], offered[0]);  // a cancelled Load changes nothing
    EXPECT_EQ(offered[2], picture);     // later Loads start from the last file
  }
}

// The built program, run as a user runs it from a shell.
struct ProcessRun {
  int exit_code = -1;
  QByteArray out;
  QByteArray err;
};

ProcessRun RunBuiltProgram(const QStringList& arguments, const QString& folder,
                    const QProcessEnvironment& environment) {
  QProcess process;
  process.setWorkingDirectory(folder);
  process.setProcessEnvironment(environment);
  process.start(QStringLiteral(KOLVANE_PROGRAM), arguments);
  EXPECT_TRUE(process.waitForFinished(60000));
  return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
          process.readAllStandardOutput(), process.readAllStandardError()};
}

TEST(ProgramCommandLine, VersionNeedsNoDisplay) {
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
    environment.remove(QString::fromLatin1(name));
  }
  const ProcessRun run = RunBuiltProgram({QStringLiteral("--version")}, QDir::tempPath(), environment);
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_TRUE(QRegularExpression(QStringLiteral("^kolvane \\d+(\\.\\d+)+\\n$"))
                  .match(QString::fromLatin1(run.out))
                  .hasMatch())
      << run.out.constData();
  EXPECT_TRUE(run.err.isEmpty()) << run.err.constData();
}

// The program makes its own folder the current directory as it starts: a relative
// PICTURE must already have been taken from the folder the user was in.
TEST(ProgramCommandLine, ARelativePictureIsTakenFromTheFolderTheProgramWasStartedIn) {
  QTemporaryDir scratch;
  ASSERT_TRUE(scratch.isValid());
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  environment.insert(QStringLiteral("KOLVANE_SCREENSHOT"), scratch.filePath("screen.png"));

  const ProcessRun found = RunBuiltProgram({QStringLiteral("load_640x480.jpg")}, kPictures, environment);
  EXPECT_EQ(found.exit_code, 0);
  EXPECT_FALSE(found.err.contains("kolvane:")) << found.err.constData();

  const ProcessRun missing = RunBuiltProgram({QStringLiteral("missing.jpg")}, scratch.path(), environment);
  EXPECT_EQ(missing.exit_code, 0);
  EXPECT_TRUE(missing.err.contains(
      QFile::encodeName(scratch.filePath("missing.jpg")) + ": not an existing file"))
      << missing.err.constData();
}

}  // namespace
}  // namespace kolvane
