// Windows bitmap decoding.
#include <cstddef>
#include <cstdint>
#include <span>

#include "picture/bmp_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto picture = kolvane::DecodeBmp(std::span(data, size), 1LL << 22);
  if (picture && picture->pixel_data.size() !=
                     static_cast<std::size_t>(picture->width) * picture->height * 3) {
    __builtin_trap();
  }
  return 0;
}
