#pragma once
// Texts of the system (code page 936 bytes) to and from Qt strings.
#include <QString>

#include "text/codepage.h"
#include "base/types.h"

namespace kolvane {

inline QString FromCp936(const Text& text) {
  return QString::fromStdString(Utf8FromCp936(text));
}

inline Text ToCp936(const QString& text) {
  return Cp936FromUtf8(text.toStdString());
}

}  // namespace kolvane
