#pragma once
// The file dialog component of window "main": no window of its own; it keeps the last
// chosen file name for the life of the window and opens the platform's dialog.
#include <QObject>
#include <QString>
#include <functional>

namespace kolvane {

class FileDialog : public QObject {
  Q_OBJECT
 public:
  // Shows an open-file dialog starting from initial (the last file's full path, or
  // the folder to start in) and gives the chosen existing file's full path, or an
  // empty string when cancelled.
  using Chooser = std::function<QString(QWidget* owner, const QString& initial)>;

  explicit FileDialog(QObject* parent);

  // Shows the dialog with the current file name as its initial name (the user's
  // pictures folder while there is none): true when the user confirmed a file, whose
  // full path becomes the file name; false changes nothing.
  bool Open(QWidget* owner);
  // Takes path as if the user had chosen it in the dialog: true when the dialog could
  // have given it (an existing file), and its full path becomes the file name; false
  // changes nothing. A relative path is taken from the current directory.
  bool Choose(const QString& path);
  const QString& FileName() const { return file_name_; }

  // How the dialog is shown; replaceable in tests.
  Chooser chooser;

 private:
  QString file_name_;
};

}  // namespace kolvane
