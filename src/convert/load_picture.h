#pragma once
// The Load command after its file dialog: the chosen file becomes the canvas's
// background picture and the canvas takes the picture's size.
#include <string>

#include "canvas/canvas.h"

namespace kolvane {

// Hands the file's bytes (empty when unreadable) to the canvas as its background
// picture, then sets its height and then its width to the file's picture size,
// reading the file anew for each. path holds file-system bytes, as for ReadWholeFile.
// Gives why the canvas got no picture from the file (unreadable, or bytes it
// discarded), or "" when it did.
std::string LoadPictureFile(Canvas& canvas, const std::string& path);

}  // namespace kolvane
