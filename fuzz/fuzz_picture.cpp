// The whole path a picture file takes: detection, decoding, the drawable form and
// drawing it at natural size and stretched in both modes, partly off the target.
#include <cstddef>
#include <cstdint>
#include <span>

#include "picture/drawable.h"
#include "picture/picture_decoder.h"

namespace {
// Large enough for every seed, small enough that a header claiming a huge picture
// does not make each run allocate gigabytes.
constexpr long long kFuzzMaxPixels = 1LL << 22;
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kolvane;
  const std::span<const std::uint8_t> bytes(data, size);
  DetectPictureFormat(bytes);
  auto picture = DecodePicture(bytes, {.max_pixels = kFuzzMaxPixels});
  if (!picture) return 0;
  const auto drawable = MakeDrawable(std::move(*picture));
  if (!drawable) return 0;
  Bitmap target = *Bitmap::Create(40, 30, 0x00808080);
  TargetState state;
  DrawDecodedPicture(target, *drawable, -3, -2, -1, -1, state, target.Bounds());
  DrawDecodedPicture(target, *drawable, 0, 0, 37, 29, state, {2, 2, 30, 20});
  state.stretch_mode = StretchMode::kColourOnColour;
  DrawDecodedPicture(target, *drawable, 5, 5, 100, 3, state, target.Bounds());
  return 0;
}
