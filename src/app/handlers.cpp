#include "app/handlers.h"

#include <QFile>
#include <QLineEdit>
#include <QMessageBox>

#include "app/canvas_view.h"
#include "app/controls.h"
#include "app/file_dialog.h"
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

}  // namespace

void LoadPicture(Shell& shell) {
  ProgramWindow& main = shell.RequireWindow("main");
  auto* dialog = main.findChild<FileDialog*>(QStringLiteral("通用对话框1"));
  if (!dialog) Shell::FatalError("control \"通用对话框1\" is not loaded");
  if (!dialog->Open(&main)) return;
  auto& picture = shell.RequireControlAs<CanvasView>("ban", "画板2");
  LoadPictureFile(picture.Model(), QFile::encodeName(dialog->FileName()).toStdString());
}

void ConvertPicture(Shell& shell) {
  auto& source = shell.RequireControlAs<CanvasView>("ban", "画板2");
  auto& target = shell.RequireControlAs<CanvasView>("main", "画板1");
  auto& bar = shell.RequireControlAs<ProgressBar>("main", "进度条1");
  auto& document = shell.RequireControlAs<RichEditBox>("main", "超级编辑框1");
  const Text text = ToCp936(shell.RequireControlAs<QLineEdit>("main", "编辑框1").text());

  WindowRunSinks sinks(bar, target, document);
  const RunResult result = RunConversion(text, source.Model(), target.Model(), GlobalDocument(), sinks);
  target.RepaintChanged();
  if (result == RunResult::kOutOfMemory) {
    QMessageBox::warning(&shell.RequireWindow("main"), QStringLiteral("Kolvane"),
                         QStringLiteral("The picture is too large to convert: its document "
                                        "would not fit in this computer's memory."));
  }
}

void ClearCanvas(Shell& shell) {
  auto& target = shell.RequireControlAs<CanvasView>("main", "画板1");
  target.Model().ClearSurface();
  target.RepaintChanged();
}

}  // namespace kolvane
