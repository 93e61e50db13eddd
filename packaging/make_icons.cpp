// make_icons ICON.ico FOLDER SIZE...: writes FOLDER/SIZE/kolvane.png for each SIZE, the
// icon's image shrunk to SIZE x SIZE with its transparency kept. A size larger than the
// image is refused: an enlarged icon only looks blurred, and the theme falls back to
// the nearest size it has.
//
// Qt reads the icon, as the program itself does for its window icon, and shrinks it
// by averaging the area each new pixel covers, on premultiplied alpha, so the edges of
// the rounded square blend into transparency rather than into a background colour.
#include <QDir>
#include <QImage>
#include <QString>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fputs("usage: make_icons ICON.ico FOLDER SIZE...\n", stderr);
    return 2;
  }
  QImage icon;
  if (!icon.load(QString::fromLocal8Bit(argv[1]), "ICO")) {
    std::fprintf(stderr, "make_icons: %s: not an icon that Qt reads\n", argv[1]);
    return 1;
  }
  icon = icon.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  const QDir folder(QString::fromLocal8Bit(argv[2]));
  for (int i = 3; i < argc; ++i) {
    const int size = std::atoi(argv[i]);
    if (size < 1 || size > icon.width() || size > icon.height()) {
      std::fprintf(stderr, "make_icons: size %s: the icon is %d x %d\n", argv[i], icon.width(),
                   icon.height());
      return 1;
    }
    const QString name = QString::number(size);
    const QImage shrunk =
        icon.scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
            .convertToFormat(QImage::Format_ARGB32);
    if (!folder.mkpath(name) || !shrunk.save(folder.filePath(name + "/kolvane.png"), "PNG")) {
      std::fprintf(stderr, "make_icons: cannot write %s/%s/kolvane.png\n", argv[2], argv[i]);
      return 1;
    }
  }
  return 0;
}
