#include "convert/load_picture.h"

#include <string_view>

#include "picture/bitmap_file_loader.h"
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

std::string LoadPictureBytes(Canvas& canvas, std::span<const std::uint8_t> bytes) {
  canvas.SetBackgroundPicture(bytes);
  std::string reason;
  if (bytes.empty()) reason = "is empty";
  if (const auto refused = canvas.RefusedPictureReason()) reason = DescribePictureError(*refused);
  std::optional<PictureSize> size = canvas.PlacedPictureSize();
  if (!size) size = ReadBitmapFileSize(bytes);
  canvas.SetHeight(size ? size->height : 0);
  canvas.SetWidth(size ? size->width : 0);
  return reason;
}

}  // namespace kolvane
