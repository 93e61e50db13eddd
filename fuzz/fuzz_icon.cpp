// Icon and cursor files, the icon made from one image, and drawing it stretched.
#include <cstddef>
#include <cstdint>
#include <span>

#include "picture/drawable.h"
#include "picture/icon_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kolvane;
  const std::span<const std::uint8_t> bytes(data, size);
  const DecodeOptions options{.max_pixels = 1LL << 22};
  CreateIconFromImage(bytes, options);
  auto picture = DecodeIcon(bytes, options);
  if (!picture) return 0;
  const auto drawable = MakeDrawable(std::move(*picture));
  if (!drawable) __builtin_trap();  // a decoded icon is always drawable
  Bitmap target = *Bitmap::Create(20, 20, 0x00336699);
  DrawDecodedPicture(target, *drawable, -1, -1, -1, -1, {}, target.Bounds());
  DrawDecodedPicture(target, *drawable, 3, 2, 9, 31, {}, target.Bounds());
  return 0;
}
