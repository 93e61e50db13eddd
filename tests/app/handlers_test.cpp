// Load, Start and Clear as the user runs them in the windows, and the same conversion
// through kolvane-convert.
#include "app/handlers.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QProcess>
#include <string>
#include <vector>

#include "app/canvas_view.h"
#include "app/controls.h"
#include "app/file_dialog.h"
#include "app/program.h"
#include "app/program_controls.h"
#include "app/rich_edit_box.h"
#include "canvas/canvas.h"
#include "text/codepage.h"
#include "base/system_values.h"

namespace kolvane {
namespace {

const std::string kPictures = std::string(KOLVANE_TEST_DATA) + "/pictures/";

class Windows : public ::testing::Test {
 protected:
  void SetUp() override {
    shell().LoadWindow(MainWindowDefinition(), nullptr);
    dialog().chooser = [this](QWidget*, const QString& initial) {
      offered_names_.push_back(initial);
      return next_choice_;
    };
  }

  Shell& shell() { return program_.GetShell(); }
  MainWindowControls main() { return MainControls(shell()); }
  FileDialog& dialog() { return main().file_dialog; }
  Canvas& picture() { return PictureControls(shell()).picture.Model(); }
  Canvas& art() { return main().text_art.Model(); }
  Text document() { return main().document.Content(); }
  void SetText(const QString& text) { main().text.setText(text); }
  // A Load in which the user picks path ("" = cancel).
  void Load(const std::string& path) {
    next_choice_ = QString::fromStdString(path);
    LoadPicture(shell());
  }

  Program program_;
  QString next_choice_;
  std::vector<QString> offered_names_;
};

// The document kolvane-convert writes for the picture (none: the built-in one).
Text ConvertWithTool(const std::string& picture, const std::string& text_utf8) {
  QProcess tool;
  QStringList arguments = {QStringLiteral("--text"), QString::fromStdString(text_utf8)};
  if (!picture.empty()) arguments << QString::fromStdString(picture);
  tool.start(QStringLiteral(KOLVANE_CONVERT), arguments);
  EXPECT_TRUE(tool.waitForFinished(60000));
  const QByteArray out = tool.readAllStandardOutput();
  return Text(out.constData(), static_cast<std::size_t>(out.size()));
}

TEST_F(Windows, StartGivesTheSameDocumentAsKolvaneConvert) {
  struct Case {
    const char* name;
    std::string picture;  // "" = the built-in picture, no Load
    const char* text;
    int width;  // the size 画板2 takes after the Load
    int height;
  };
  const std::vector<Case> cases = {
      {"built-in picture", "", "光", 104, 128},
      {"JPEG larger than the window", kPictures + "load_640x480.jpg", "光", 640, 480},
      {"bitmap", kPictures + "e2e_wide.bmp", "光", 300, 40},
      {"one pixel", kPictures + "e2e_1x1.bmp", "光", 1, 1},
      {"GIF", kPictures + "gif_transparent.gif", "光", -1, -1},
      {"icon", kPictures + "e2e_icon.ico", "光", 32, 32},
      {"cursor", kPictures + "e2e_cursor.cur", "光", 32, 32},
      {"PCX", kPictures + "pcx_8bit.pcx", "光", -1, -1},
      {"two characters", kPictures + "e2e_wide.bmp", "光A", 300, 40},
      {"empty text", kPictures + "e2e_wide.bmp", "", 300, 40},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (!c.picture.empty()) Load(c.picture);
    if (c.width >= 0) {
      EXPECT_EQ(picture().Width(), c.width);
      EXPECT_EQ(picture().Height(), c.height);
    }
    EXPECT_FALSE(picture().BackgroundPicture().empty());
    SetText(QString::fromUtf8(c.text));
    ConvertPicture(shell());
    const Text tool = ConvertWithTool(c.picture, c.text);
    ASSERT_FALSE(document().empty());
    EXPECT_TRUE(document() == tool) << "program " << document().size() << " bytes, tool "
                                    << tool.size() << " bytes";
  }
}

TEST_F(Windows, StartShowsProgressAndDrawsThePictureOnePixelPerCell) {
  ConvertPicture(shell());
  const ProgressBar& bar = main().progress;
  EXPECT_EQ(bar.Maximum(), 128);
  EXPECT_EQ(bar.Position(), 128);
  // The cell at (j - 1, i - 1) takes the colour 画板2 shows at (j, i).
  for (int y = 0; y < 127; y += 9) {
    for (int x = 0; x < 103; x += 7) {
      EXPECT_EQ(art().PersistentBitmap().Pixel(x, y), picture().ReadPixel(x + 1, y + 1) & 0xFFFFFF);
    }
  }
}

TEST_F(Windows, ClearBlanksTheCanvasAndKeepsTheDocument) {
  ConvertPicture(shell());
  const Text first = document();
  ClearCanvas(shell());
  for (Colour c : art().PersistentBitmap().Pixels()) ASSERT_EQ(c, 0x00FFFFFFu);
  EXPECT_EQ(document(), first);
  ConvertPicture(shell());
  EXPECT_EQ(document(), first);
}

TEST_F(Windows, CancelledLoadsChangeNothingAndTheNextLoadStartsFromTheLastFile) {
  Load("");
  EXPECT_EQ(picture().Width(), 104);
  EXPECT_EQ(picture().Height(), 128);
  const std::size_t builtin_size = picture().BackgroundPicture().size();

  const std::string jpeg = kPictures + "load_640x480.jpg";
  Load(jpeg);
  EXPECT_EQ(picture().Width(), 640);
  Load("");
  EXPECT_EQ(picture().Width(), 640);
  EXPECT_EQ(picture().Height(), 480);
  EXPECT_NE(picture().BackgroundPicture().size(), builtin_size);
  ASSERT_EQ(offered_names_.size(), 3u);
  // Until a file is chosen, every Load starts in the same folder (see start_test.cpp).
  EXPECT_EQ(offered_names_[1], offered_names_[0]);
  EXPECT_EQ(offered_names_[2], QString::fromStdString(jpeg));
  EXPECT_EQ(dialog().FileName(), QString::fromStdString(jpeg));
}

TEST_F(Windows, AFileThatIsNotAPictureLeavesAnEmptyCanvasAndARunWithoutRows) {
  Load(std::string(KOLVANE_TEST_DATA) + "/../CMakeLists.txt");
  EXPECT_EQ(picture().Width(), 0);
  EXPECT_EQ(picture().Height(), 0);
  ConvertPicture(shell());
  EXPECT_NE(document().find("{\\colortbl ;}\r\n"), Text::npos);  // no colour-table entries
  EXPECT_NE(document().find("\\fs20\\cf0\\par}"), Text::npos);  // and an empty body
  EXPECT_EQ(main().progress.Maximum(), 0);
}

}  // namespace
}  // namespace kolvane
