#include "app/program_icon.h"

#include <QImage>
#include <QPixmap>

#include "resources/resources.h"

namespace kolvane {

QIcon ProgramIcon() {
  static const QIcon icon = [] {
    const auto bytes = resources::program_icon();
    QImage image;
    image.loadFromData(bytes.data(), static_cast<int>(bytes.size()), "ICO");
    return QIcon(QPixmap::fromImage(image));
  }();
  return icon;
}

}  // namespace kolvane
