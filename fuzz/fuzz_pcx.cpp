// Feeds arbitrary bytes to the PCX decoder; the sanitizers report any fault.
#include <cstddef>
#include <cstdint>
#include <span>

#include "picture/pcx_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto picture = kolvane::DecodePcx(std::span(data, size), {.max_pixels = 1LL << 22});
  if (picture && (picture->width <= 0 || picture->height <= 0)) __builtin_trap();
  return 0;
}
