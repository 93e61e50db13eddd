// Icon and cursor files, the icon made from one image, and drawing it stretched.
#include <cstddef>
#include <cstdint>
#include <span>

#include "picture/icon_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kolvane;
  const std::span<const std::uint8_t> bytes(data, size);
  CreateIconFromImage(bytes, 1LL << 22);
  const auto picture = DecodeIcon(bytes, 1LL << 22);
  if (!picture) return 0;
  const auto drawable = MakeDrawable(*picture);
  if (!drawable) __builtin_trap();  // a decoded icon is always drawable
  Bitmap target = *Bitmap::Create(20, 20, 0x00336699);
  DrawDecodedPicture(target, *drawable, -1, -1, -1, -1, {}, target.Bounds());
  DrawDecodedPicture(target, *drawable, 3, 2, 9, 31, {}, target.Bounds());
  return 0;
}
