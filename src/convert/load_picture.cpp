#include "convert/load_picture.h"

#include "picture/picture_dimensions.h"
#include "picture/read_whole_file.h"

namespace kolvane {

void LoadPictureFile(Canvas& canvas, const std::string& path) {
  canvas.SetBackgroundPicture(ReadWholeFile(path));
  // Height before width: a canvas watching its size sees the new height with the old
  // width first.
  canvas.SetHeight(PictureFileHeight(path));
  canvas.SetWidth(PictureFileWidth(path));
}

}  // namespace kolvane
