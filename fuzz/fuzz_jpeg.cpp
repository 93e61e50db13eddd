// JPEG decoding through libjpeg and our memory source.
#include <cstddef>
#include <cstdint>
#include <span>

#include "picture/jpeg_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // A bound that keeps headers claiming huge pictures cheap to run.
  const auto picture = kolvane::DecodeJpeg(std::span(data, size), {.max_pixels = 1LL << 22});
  if (!picture) return 0;
  const auto& bitmap = std::get<kolvane::Bitmap>(picture->pixels);
  if (bitmap.Width() != picture->width || bitmap.Height() != picture->height) __builtin_trap();
  return 0;
}
