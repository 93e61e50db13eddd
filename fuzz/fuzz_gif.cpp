// Feeds arbitrary bytes to the GIF decoder; the sanitizers report any fault.
#include <cstddef>
#include <cstdint>
#include <span>

#include "picture/gif_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto picture = kolvane::DecodeGif(std::span(data, size), {.max_pixels = 1LL << 22});
  if (!picture) return 0;
  const auto& image = std::get<kolvane::IndexedPixels>(picture->pixels);
  if (image.indices.size() != static_cast<std::size_t>(image.width) * image.height) {
    __builtin_trap();
  }
  return 0;
}
