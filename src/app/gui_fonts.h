#pragma once
// The fonts of the windows: the default GUI font and "宋体" through our fontconfig alias.
class QFont;

namespace kolvane {

// Adds the program's fontconfig alias ("宋体" -> AR PL UMing) to the process's font
// configuration; call once before the first font is made.
void InstallFontAlias();

// The platform's default GUI font: a sans face at 11 px.
QFont DefaultGuiFont();

// "宋体" at a character height of pixel_height pixels.
QFont SongFont(int pixel_height);

}  // namespace kolvane
