// Feeds arbitrary bytes to the GIF decoder; the sanitizers report any fault.
#include <cstddef>
#include <cstdint>
#include <span>

#include "picture/gif_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto picture = kolvane::DecodeGif(std::span(data, size));
  if (picture && picture->pixel_data.size() < 40 + 1024) __builtin_trap();
  return 0;
}
