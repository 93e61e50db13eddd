// PNG decoding through libspng, as kolvane-convert reads PNG pictures.
#include <cstddef>
#include <cstdint>
#include <span>

#include "picture/png/png_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto picture = kolvane::DecodePng(std::span(data, size), {.max_pixels = 1LL << 22});
  if (!picture) return 0;
  const auto& bitmap = std::get<kolvane::Bitmap>(picture->pixels);
  if (bitmap.Width() != picture->width || bitmap.Height() != picture->height) __builtin_trap();
  return 0;
}
