// JPEG decoding through libjpeg and our memory source.
#include <cstddef>
#include <cstdint>
#include <span>

#include "picture/jpeg_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // A bound that keeps headers claiming huge pictures cheap to run.
  const auto picture = kolvane::DecodeJpeg(std::span(data, size), 1LL << 22);
  if (picture && picture->pixel_data.size() !=
                     static_cast<std::size_t>(picture->width) * picture->height * 3) {
    __builtin_trap();
  }
  return 0;
}
