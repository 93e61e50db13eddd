#include "app/handlers.h"

#include <QElapsedTimer>
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
#include "base/memory.h"
#include "convert/conversion_run.h"
#include "convert/document_state.h"
#include "convert/load_picture.h"

namespace kolvane {
namespace {

// Where a run's progress goes in the windows: no event is handled during a run, so the
// progress bar and what the run drew on the text-art canvas are painted from here, at
// most once a frame, and once more at the end.
class WindowRunSinks : public RunSinks {
 public:
  WindowRunSinks(ProgressBar& bar, CanvasView& target, RichEditBox& document)
      : bar_(bar), target_(target), document_(document) {
    frame_.start();
  }

  void SetProgressMaximum(int maximum) override { bar_.SetMaximum(maximum); }
  void SetProgress(int row) override {
    row_ = row;
    if (frame_.elapsed() >= kFrameMs) bar_.SetPosition(row_);
  }
  void RowDone() override {
    if (frame_.elapsed() < kFrameMs) return;
    target_.RepaintChanged();
    frame_.restart();
  }
  // The empty document of a refused run; a run's own document goes in as its cells.
  void WriteDocument(const Text& document) override { document_.SetContent(document); }

  // Shows the last row's progress and drawing.
  void Finish() {
    if (row_ > 0) bar_.SetPosition(row_);
    target_.RepaintChanged();
  }

 private:
  static constexpr qint64 kFrameMs = 16;
  ProgressBar& bar_;
  CanvasView& target_;
  RichEditBox& document_;
  QElapsedTimer frame_;
  int row_ = 0;
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
  RunOptions options;
  // The rich edit box shows the document from the run's cells.
  options.assemble_document = false;
  options.shown_bytes_per_cell = RichEditBox::BytesPerCell(text);
  DocumentState& document = GlobalDocument();
  const RunResult result =
      RunConversion(text, source.Model(), &main.text_art.Model(), document, sinks, options);
  sinks.Finish();
  if (result == RunResult::kDone) {
    main.document.SetCells(document.cells);
    return;
  }
  const Canvas& picture = source.Model();
  const std::uint64_t needed = RunMemoryBound(picture.Width(), picture.Height(), text, false,
                                              options.shown_bytes_per_cell);
  QMessageBox::warning(
      &main.window, QStringLiteral("Kolvane"),
      QStringLiteral("The picture is too large to convert: its %1 x %2 characters would take "
                     "about %3 MB of memory, and this computer has %4 MB available.")
          .arg(picture.Width())
          .arg(picture.Height())
          .arg(needed >> 20)
          .arg(AvailableMemoryBytes() >> 20));
}

void ClearCanvas(Shell& shell) {
  CanvasView& target = MainControls(shell).text_art;
  target.Model().ClearSurface();
  target.RepaintChanged();
}

}  // namespace kolvane
