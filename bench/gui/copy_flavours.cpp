// Writes what a copy from the Text page puts on the clipboard after Start: the RTF,
// HTML and plain-text flavours, as copy.rtf, copy.html and copy.txt in a folder. With
// a picture, it is loaded and read whole (every pixel, as if the picture window were
// as large as it); without one, the built-in picture is read as the window shows it.
//   QT_QPA_PLATFORM=offscreen copy_flavours OUTDIR [PICTURE]
#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <cstdio>
#include <fstream>

#include "app/canvas_view.h"
#include "app/gui_fonts.h"
#include "app/handlers.h"
#include "app/program.h"
#include "app/program_controls.h"
#include "app/rich_edit_box.h"
#include "canvas/canvas.h"
#include "convert/load_picture.h"

namespace {

void Save(const QString& path, const QByteArray& bytes) {
  std::ofstream(path.toStdString(), std::ios::binary).write(bytes.constData(), bytes.size());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: copy_flavours OUTDIR [PICTURE]\n");
    return 2;
  }
  kolvane::InstallFontAlias();
  QApplication application(argc, argv);
  kolvane::Program program;
  kolvane::Shell& shell = program.GetShell();
  shell.LoadWindow(kolvane::MainWindowDefinition(), nullptr);
  if (argc > 2) {
    kolvane::Canvas& picture = kolvane::PictureControls(shell).picture.Model();
    kolvane::LoadPictureFile(picture, argv[2]);
    picture.SetParentClientSize(picture.Width(), picture.Height());
  }
  kolvane::ConvertPicture(shell);
  kolvane::RichEditBox& box = kolvane::MainControls(shell).document;
  box.selectAll();
  box.copy();
  const QMimeData* mime = QApplication::clipboard()->mimeData();
  const QString folder = QString::fromLocal8Bit(argv[1]);
  Save(folder + "/copy.rtf", mime->data(QStringLiteral("text/rtf")));
  Save(folder + "/copy.html", mime->html().toUtf8());
  Save(folder + "/copy.txt", mime->text().toUtf8());
  return 0;
}
