#include "app/file_dialog.h"

#include <QFileDialog>
#include <QFileInfo>

namespace kolvane {
namespace {

// The platform's open-file dialog with no filter: every file listed, one file, the
// file must exist. A path the program could not hold (over 259 characters) counts as
// a cancelled dialog.
QString ChooseWithPlatformDialog(QWidget* owner, const QString& initial) {
  const QString chosen = QFileDialog::getOpenFileName(owner, QString(), initial, QString());
  if (chosen.isEmpty() || chosen.toLocal8Bit().size() >= 260) return {};
  if (!QFileInfo(chosen).isFile()) return {};
  return QFileInfo(chosen).absoluteFilePath();
}

}  // namespace

FileDialog::FileDialog(QObject* parent) : QObject(parent), chooser(&ChooseWithPlatformDialog) {}

bool FileDialog::Open(QWidget* owner) {
  const QString chosen = chooser(owner, file_name_);
  if (chosen.isEmpty()) return false;
  file_name_ = chosen;
  return true;
}

}  // namespace kolvane
