#include "picture/picture_dimensions.h"

#include <utility>

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
  const auto picture = DecodePicture(bytes);
  if (!picture) return std::nullopt;
  auto drawable = MakeDrawable(*picture);
  if (!drawable || drawable->width != picture->width || drawable->height != picture->height) {
    return std::nullopt;
  }
  const bool is_icon =
      picture->kind == PictureFormat::kIcon || picture->kind == PictureFormat::kCursor;
  // A picture that already is a bitmap of its size is the result; copying it would
  // only double the memory a large picture needs.
  if (!is_icon && drawable->bitmap && drawable->bitmap->Width() == picture->width &&
      drawable->bitmap->Height() == picture->height) {
    return std::move(drawable->bitmap);
  }
  // An icon's transparent parts show the white it is drawn on; a new bitmap is black
  // elsewhere, like a fresh screen-compatible bitmap.
  auto bitmap = Bitmap::Create(picture->width, picture->height,
                               is_icon ? kWhiteness : Colour{0});
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
