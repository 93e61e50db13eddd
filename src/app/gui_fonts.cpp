#include "app/gui_fonts.h"

#include <fontconfig/fontconfig.h>

#include <QFont>
#include <string>

#include "resources/resources.h"

namespace kolvane {

void InstallFontAlias() {
  FcInit();
  const auto alias = resources::font_alias();
  const std::string xml(reinterpret_cast<const char*>(alias.data()), alias.size());
  FcConfigParseAndLoadFromMemory(FcConfigGetCurrent(), reinterpret_cast<const FcChar8*>(xml.c_str()),
                                 FcTrue);
}

QFont DefaultGuiFont() {
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPixelSize(11);
  return font;
}

QFont SongFont(int pixel_height) {
  QFont font(QStringLiteral("宋体"));
  font.setPixelSize(pixel_height);
  font.setWeight(QFont::Normal);
  return font;
}

}  // namespace kolvane
