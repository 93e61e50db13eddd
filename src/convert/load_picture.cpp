#include "convert/load_picture.h"

#include <string_view>

#include "picture/picture_dimensions.h"
#include "picture/read_whole_file.h"

namespace kolvane {

std::string LoadPictureFile(Canvas& canvas, const std::string& path) {
  auto bytes = ReadWholeFileOrError(path);
  std::string reason;
  if (bytes) {
    canvas.SetBackgroundPicture(*bytes);
    if (const auto refused = canvas.RefusedPictureReason()) reason = DescribePictureError(*refused);
  } else {
    canvas.SetBackgroundPicture({});
    reason = DescribeFileError(bytes.error());
  }
  // Height before width: a canvas watching its size sees the new height with the old
  // width first.
  canvas.SetHeight(PictureFileHeight(path));
  canvas.SetWidth(PictureFileWidth(path));
  return reason;
}

}  // namespace kolvane
