#include "app/file_dialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QStandardPaths>

namespace kolvane {
namespace {

// The full path of a file the dialog may give, or "" for one it may not: the file
// must exist, and a path the program could not hold (over 259 characters) counts as
// a cancelled dialog.
QString AcceptedFile(const QString& chosen) {
  if (chosen.isEmpty()) return {};
  const QFileInfo file(chosen);
  if (!file.isFile()) return {};
  const QString path = file.absoluteFilePath();
  if (path.toLocal8Bit().size() >= 260) return {};
  return path;
}

// The platform's open-file dialog with no filter: every file listed, one file.
QString ChooseWithPlatformDialog(QWidget* owner, const QString& initial) {
  return AcceptedFile(QFileDialog::getOpenFileName(owner, QString(), initial, QString()));
}

// Where the dialog starts before any file was chosen: the user's pictures folder, or
// the home folder where there is none. The current directory would be the program's
// own folder, which start-up makes current.
QString FirstFolder() {
  const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
  if (!pictures.isEmpty() && QFileInfo(pictures).isDir()) return pictures;
  return QDir::homePath();
}

}  // namespace

FileDialog::FileDialog(QObject* parent) : QObject(parent), chooser(&ChooseWithPlatformDialog) {}

bool FileDialog::Open(QWidget* owner) {
  const QString chosen = chooser(owner, file_name_.isEmpty() ? FirstFolder() : file_name_);
  if (chosen.isEmpty()) return false;
  file_name_ = chosen;
  return true;
}

bool FileDialog::Choose(const QString& path) {
  const QString accepted = AcceptedFile(path);
  if (accepted.isEmpty()) return false;
  file_name_ = accepted;
  return true;
}

}  // namespace kolvane
