#include "picture/png/png_decoder.h"

#include <spng.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "picture/picture_decoder.h"

namespace kolvane {
namespace {

constexpr std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
// Text, ICC and other ancillary chunks are kept by the library; these bound what a
// small file can make it hold.
constexpr std::size_t kMaxChunkSize = std::size_t{16} << 20;
constexpr std::size_t kMaxChunkCache = std::size_t{64} << 20;
// PNG's own bound on a side.
constexpr std::uint32_t kMaxSide = 0x7FFFFFFF;

struct ContextDeleter {
  void operator()(spng_ctx* context) const { spng_ctx_free(context); }
};
using Context = std::unique_ptr<spng_ctx, ContextDeleter>;

PictureError ErrorOf(int code) {
  switch (code) {
    case SPNG_IO_EOF:
    case SPNG_IO_ERROR:
    case SPNG_EOF:
    case SPNG_EIO:
    case SPNG_EBUF_SET:
    case SPNG_EIDAT_TOO_SHORT:
      return PictureError::kTruncated;
    case SPNG_EUSER_WIDTH:
    case SPNG_EUSER_HEIGHT:
    case SPNG_EOVERFLOW:
    case SPNG_ECHUNK_LIMITS:
    case SPNG_EMEM:
      return PictureError::kTooLarge;
    default:
      return PictureError::kMalformed;
  }
}

std::uint8_t OverWhite(std::uint8_t value, unsigned alpha) {
  return static_cast<std::uint8_t>((value * alpha + 255 * (255 - alpha) + 127) / 255);
}

}  // namespace

bool IsPng(std::span<const std::uint8_t> bytes) {
  return bytes.size() >= sizeof kSignature &&
         std::memcmp(bytes.data(), kSignature, sizeof kSignature) == 0;
}

DecodeResult DecodePng(std::span<const std::uint8_t> bytes, const DecodeOptions& options) {
  if (!IsPng(bytes)) return PictureError::kUnknownFormat;
  Context context(spng_ctx_new(0));
  if (!context) return PictureError::kTooLarge;
  spng_ctx* png = context.get();
  spng_set_image_limits(png, kMaxSide, kMaxSide);
  spng_set_chunk_limits(png, kMaxChunkSize, kMaxChunkCache);
  if (const int error = spng_set_png_buffer(png, bytes.data(), bytes.size())) {
    return ErrorOf(error);
  }
  spng_ihdr header{};
  if (const int error = spng_get_ihdr(png, &header)) return ErrorOf(error);
  const std::uint64_t width = header.width;
  const std::uint64_t height = header.height;
  if (width == 0 || height == 0) return PictureError::kMalformed;
  if (width * height > static_cast<std::uint64_t>(options.max_pixels)) {
    return PictureError::kTooLarge;
  }
  std::size_t size = 0;
  if (const int error = spng_decoded_image_size(png, SPNG_FMT_RGBA8, &size)) {
    return ErrorOf(error);
  }
  auto bitmap = Bitmap::Create(static_cast<int>(width), static_cast<int>(height));
  if (!bitmap || size != width * height * 4) return PictureError::kTooLarge;
  // RGBA bytes land in the bitmap's own memory, then become 0x00BBGGRR over white
  // in place: the same four bytes a pixel, read before they are written.
  auto* rgba = reinterpret_cast<std::uint8_t*>(bitmap->Row(0));
  if (const int error = spng_decode_image(png, rgba, size, SPNG_FMT_RGBA8, SPNG_DECODE_TRNS)) {
    return ErrorOf(error);
  }
  Colour* pixels = bitmap->Row(0);
  for (std::size_t i = 0; i < width * height; ++i) {
    const std::uint8_t* p = rgba + 4 * i;
    const unsigned alpha = p[3];
    pixels[i] = alpha == 255 ? MakeColour(p[0], p[1], p[2])
                             : MakeColour(OverWhite(p[0], alpha), OverWhite(p[1], alpha),
                                          OverWhite(p[2], alpha));
  }
  return DecodedPicture{PictureFormat::kPng, static_cast<int>(width), static_cast<int>(height),
                        std::move(*bitmap)};
}

DecodeResult DecodePictureOrPng(std::span<const std::uint8_t> bytes, const DecodeOptions& options) {
  return IsPng(bytes) ? DecodePng(bytes, options) : DecodePicture(bytes, options);
}

}  // namespace kolvane
