#include "picture/picture_dimensions.h"

#include <utility>

#include "picture/drawable.h"
#include "picture/picture_decoder.h"
#include "picture/bitmap_file_loader.h"
#include "picture/read_whole_file.h"

namespace kolvane {
namespace {

// WHITENESS, the fill an icon is drawn on.
constexpr Colour kWhiteness = 0x00FFFFFF;

// Both queries measure the same way; each reads the file itself, so nothing is
// shared between them.
std::optional<PictureSize> PictureFileSize(const std::string& path) {
  // The bytes go as soon as the bitmap is made, before the loader reads them again.
  if (const auto bitmap = PictureBytesToBitmap(ReadWholeFile(path))) {
    return PictureSize{bitmap->Width(), bitmap->Height()};
  }
  // The platform's loader opens the file on its own, so it is read once more.
  return LoadBitmapFileSize(path);
}

}  // namespace

std::optional<Bitmap> PictureBytesToBitmap(std::span<const std::uint8_t> bytes) {
  auto picture = DecodePicture(bytes);
  if (!picture) return std::nullopt;
  return BitmapOfPicture(std::move(*picture));
}

std::optional<Bitmap> BitmapOfPicture(DecodedPicture picture) {
  const int width = picture.width;
  const int height = picture.height;
  auto drawable = MakeDrawable(std::move(picture));
  if (!drawable) return std::nullopt;
  const bool is_icon = std::holds_alternative<Icon>(drawable->image);
  // A picture that already is a bitmap of its size is the result; copying it would
  // only double the memory a large picture needs.
  if (auto* bitmap = std::get_if<Bitmap>(&drawable->image)) return std::move(*bitmap);
  // An icon's transparent parts show the white it is drawn on; a new bitmap is black
  // elsewhere, like a fresh screen-compatible bitmap.
  auto bitmap = Bitmap::Create(width, height, is_icon ? kWhiteness : Colour{0});
  if (!bitmap) return std::nullopt;
  DrawDecodedPicture(*bitmap, *drawable, 0, 0, -1, -1, TargetState{}, bitmap->Bounds());
  return bitmap;
}

int PictureFileWidth(const std::string& path) {
  const auto size = PictureFileSize(path);
  return size ? size->width : 0;
}

int PictureFileHeight(const std::string& path) {
  const auto size = PictureFileSize(path);
  return size ? size->height : 0;
}

}  // namespace kolvane
