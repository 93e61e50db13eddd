// The bitmap-file loader stand-in: untrusted headers of any Windows bitmap file.
#include <cstddef>
#include <cstdint>
#include <span>

#include "picture/bitmap_file_loader.h"
#include "base/system_values.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto found = kolvane::ReadBitmapFileSize(std::span(data, size));
  if (found && (found->width <= 0 || found->height <= 0 ||
                static_cast<long long>(found->width) * found->height > kolvane::kMaxPixels)) {
    __builtin_trap();
  }
  return 0;
}
