#include "app/handlers.h"

#include <QFile>
#include <QLineEdit>
#include <QMessageBox>

#include "app/canvas_view.h"
#include "app/controls.h"
#include "app/file_dialog.h"
#include "app/program_controls.h"
#include "app/qt_text.h"
#include "app/rich_edit_box.h"
#include "app/shell.h"
#include "convert/conversion_run.h"
#include "convert/document_state.h"
#include "convert/load_picture.h"

namespace kolvane {
namespace {

// Where a run's progress and document go in the windows: the progress bar and the
// text-art canvas are repainted at once, since no event is handled during a run.
class WindowRunSinks : public RunSinks {
 public:
  WindowRunSinks(ProgressBar& bar, CanvasView& target, RichEditBox& document)
      : bar_(bar), target_(target), document_(document) {}

  void SetProgressMaximum(int maximum) override { bar_.SetMaximum(maximum); }
  void SetProgress(int row) override { bar_.SetPosition(row); }
  void RowDone() override { target_.RepaintChanged(); }
  void WriteDocument(const Text& document) override { document_.SetContent(document); }

 private:
  ProgressBar& bar_;
  CanvasView& target_;
  RichEditBox& document_;
};

// The Load steps after the dialog: its file becomes the picture of 画板2.
std::string LoadDialogFile(Shell& shell) {
  const QString& file = MainControls(shell).file_dialog.FileName();
  return LoadPictureFile(PictureControls(shell).picture.Model(),
                         QFile::encodeName(file).toStdString());
}

}  // namespace

void LoadPicture(Shell& shell) {
  const MainWindowControls main = MainControls(shell);
  if (!main.file_dialog.Open(&main.window)) return;
  LoadDialogFile(shell);
}

std::string LoadPictureFrom(Shell& shell, const QString& path) {
  if (!MainControls(shell).file_dialog.Choose(path)) return "not an existing file";
  return LoadDialogFile(shell);
}

void ConvertPicture(Shell& shell) {
  CanvasView& source = PictureControls(shell).picture;
  const MainWindowControls main = MainControls(shell);
  const Text text = ToCp936(main.text.text());

  WindowRunSinks sinks(main.progress, main.text_art, main.document);
  const RunResult result =
      RunConversion(text, source.Model(), &main.text_art.Model(), GlobalDocument(), sinks);
  main.text_art.RepaintChanged();
  if (result == RunResult::kOutOfMemory) {
    QMessageBox::warning(&main.window, QStringLiteral("Kolvane"),
                         QStringLiteral("The picture is too large to convert: its document "
                                        "would not fit in this computer's memory."));
  }
}

void ClearCanvas(Shell& shell) {
  CanvasView& target = MainControls(shell).text_art;
  target.Model().ClearSurface();
  target.RepaintChanged();
}

}  // namespace kolvane
