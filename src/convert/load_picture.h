#pragma once
// The Load command after its file dialog: the chosen file becomes the canvas's
// background picture and the canvas takes the picture's size.
#include <cstdint>
#include <span>
#include <string>

#include "canvas/canvas.h"

namespace kolvane {

// Hands the file's bytes (empty when unreadable) to the canvas as its background
// picture, then sets its height and then its width to the file's picture size,
// reading the file anew for each. path holds file-system bytes, as for ReadWholeFile.
// Gives why the canvas got no picture from the file (unreadable, or bytes it
// discarded), or "" when it did.
std::string LoadPictureFile(Canvas& canvas, const std::string& path);

// The same steps for picture bytes at hand (standard input, say), decoded once: the
// canvas takes the size of the picture it places, else the size the bitmap-file loader
// reads from the bytes, else 0.
std::string LoadPictureBytes(Canvas& canvas, std::span<const std::uint8_t> bytes);

}  // namespace kolvane
