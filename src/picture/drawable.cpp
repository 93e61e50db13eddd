#include "picture/drawable.h"

#include <algorithm>
#include <cstdint>

namespace kolvane {
namespace {

// An indexed picture as a device bitmap of the picture's size: its pixels at the
// top-left corner (a GIF's first image on its logical screen, a PCX picture filling
// it), the rest a new bitmap's black.
std::optional<Bitmap> BitmapFromIndexed(const IndexedPixels& image, int width, int height) {
  if (image.planes != 1) return std::nullopt;
  const std::size_t count = static_cast<std::size_t>(image.width) * image.height;
  if (image.width < 0 || image.height < 0 || image.indices.size() < count) return std::nullopt;
  auto bitmap = Bitmap::Create(width, height);
  if (!bitmap) return std::nullopt;
  const int columns = std::min(image.width, width);
  const int rows = std::min(image.height, height);
  for (int y = 0; y < rows; ++y) {
    const std::uint8_t* in = image.indices.data() + static_cast<std::size_t>(y) * image.width;
    Colour* out = bitmap->Row(y);
    for (int x = 0; x < columns; ++x) out[x] = image.palette[in[x]];
  }
  return bitmap;
}

std::uint8_t Blend(std::uint8_t over, std::uint8_t under, unsigned alpha) {
  return static_cast<std::uint8_t>((over * alpha + under * (255 - alpha) + 127) / 255);
}

// The source index under the centre of destination pixel d: nearest-pixel stretching.
std::size_t NearestSource(std::int64_t d, std::int64_t source, std::int64_t destination) {
  return static_cast<std::size_t>((2 * d + 1) * source / (2 * destination));
}

// DrawIconEx with DI_NORMAL, stretched by nearest pixel: alpha blending when the image
// has alpha, otherwise the target ANDed with the mask and XORed with the colour.
void DrawIcon(Bitmap& target, const Icon& icon, const Rect& destination, const Rect& clip) {
  if (icon.width < 1 || icon.height < 1) return;
  const std::size_t count = static_cast<std::size_t>(icon.width) * icon.height;
  if (icon.colour.size() < count || icon.and_mask.size() < count) return;
  const bool has_alpha = icon.alpha.size() >= count;
  const Rect visible = VisiblePart(target, destination, clip);
  for (int j = 0; j < visible.height; ++j) {
    const std::size_t sy = NearestSource(std::int64_t{visible.top} + j - destination.top,
                                         icon.height, destination.height);
    Colour* out = target.Row(visible.top + j);
    for (int i = 0; i < visible.width; ++i) {
      const std::size_t sx = NearestSource(std::int64_t{visible.left} + i - destination.left,
                                           icon.width, destination.width);
      const std::size_t at = sy * static_cast<std::size_t>(icon.width) + sx;
      Colour& pixel = out[visible.left + i];
      const Colour colour = icon.colour[at] & 0x00FFFFFF;
      if (has_alpha) {
        const unsigned a = icon.alpha[at];
        pixel = MakeColour(Blend(RedOf(colour), RedOf(pixel), a),
                           Blend(GreenOf(colour), GreenOf(pixel), a),
                           Blend(BlueOf(colour), BlueOf(pixel), a));
      } else {
        pixel = ((icon.and_mask[at] != 0 ? pixel : 0) ^ colour) & 0x00FFFFFF;
      }
    }
  }
}

// A one-bit picture on a colour target takes the target's colours: 0 bits the text
// colour, 1 bits the background colour.
void DrawMono(Bitmap& target, const MonoPixels& mono, const Rect& destination,
              const TargetState& state, const Rect& clip) {
  auto bitmap = Bitmap::Create(mono.width, mono.height);
  const std::size_t count = static_cast<std::size_t>(mono.width) * mono.height;
  if (!bitmap || mono.values.size() < count) return;
  const Colour colours[2] = {state.text_colour & 0x00FFFFFF, state.background_colour & 0x00FFFFFF};
  Colour* out = bitmap->Row(0);
  for (std::size_t i = 0; i < count; ++i) out[i] = colours[mono.values[i] & 1];
  StretchCopy(target, destination, *bitmap, state.stretch_mode, clip);
}

}  // namespace

std::optional<Drawable> MakeDrawable(DecodedPicture picture) {
  const int width = picture.width;
  const int height = picture.height;
  if (width <= 0 || height <= 0) return std::nullopt;
  if (auto* bitmap = std::get_if<Bitmap>(&picture.pixels)) {
    if (bitmap->Width() != width || bitmap->Height() != height) return std::nullopt;
    return Drawable{width, height, std::move(*bitmap)};
  }
  if (const auto* indexed = std::get_if<IndexedPixels>(&picture.pixels)) {
    auto bitmap = BitmapFromIndexed(*indexed, width, height);
    if (!bitmap) return std::nullopt;
    return Drawable{width, height, std::move(*bitmap)};
  }
  if (auto* mono = std::get_if<MonoPixels>(&picture.pixels)) {
    if (mono->width != width || mono->height != height ||
        mono->values.size() < static_cast<std::size_t>(width) * static_cast<std::size_t>(height)) {
      return std::nullopt;
    }
    return Drawable{width, height, std::move(*mono)};
  }
  auto& icon = std::get<Icon>(picture.pixels);
  if (icon.width != width || icon.height != height) return std::nullopt;
  return Drawable{width, height, std::move(icon)};
}

void DrawDecodedPicture(Bitmap& target, const Drawable& drawable, int x, int y, int width,
                        int height, const TargetState& state, const Rect& clip) {
  if (width == -1) width = drawable.width;
  if (height == -1) height = drawable.height;
  if (width <= 0 || height <= 0) return;
  const Rect destination{x, y, width, height};
  if (const auto* icon = std::get_if<Icon>(&drawable.image)) {
    DrawIcon(target, *icon, destination, clip);
  } else if (const auto* bitmap = std::get_if<Bitmap>(&drawable.image)) {
    StretchCopy(target, destination, *bitmap, state.stretch_mode, clip);
  } else if (const auto* mono = std::get_if<MonoPixels>(&drawable.image)) {
    DrawMono(target, *mono, destination, state, clip);
  }
}

}  // namespace kolvane
