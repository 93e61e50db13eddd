#include "raster/bitmap.h"

#include <algorithm>
#include <cstdint>

#include "base/memory.h"
#include "base/system_values.h"

namespace kolvane {

Rect Intersect(const Rect& a, const Rect& b) {
  const int left = std::max(a.left, b.left);
  const int top = std::max(a.top, b.top);
  const int right = std::min(a.Right(), b.Right());
  const int bottom = std::min(a.Bottom(), b.Bottom());
  if (right <= left || bottom <= top) return {};
  return {left, top, right - left, bottom - top};
}

Rect Union(const Rect& a, const Rect& b) {
  if (a.Empty()) return b;
  if (b.Empty()) return a;
  const int left = std::min(a.left, b.left);
  const int top = std::min(a.top, b.top);
  return {left, top, std::max(a.Right(), b.Right()) - left, std::max(a.Bottom(), b.Bottom()) - top};
}

Rect VisiblePart(const Bitmap& target, const Rect& destination, const Rect& clip) {
  const std::int64_t left = std::max<std::int64_t>({destination.left, clip.left, 0});
  const std::int64_t top = std::max<std::int64_t>({destination.top, clip.top, 0});
  const std::int64_t right = std::min<std::int64_t>(
      {std::int64_t{destination.left} + destination.width,
       std::int64_t{clip.left} + clip.width, target.Width()});
  const std::int64_t bottom = std::min<std::int64_t>(
      {std::int64_t{destination.top} + destination.height,
       std::int64_t{clip.top} + clip.height, target.Height()});
  if (right <= left || bottom <= top) return {};
  return {static_cast<int>(left), static_cast<int>(top), static_cast<int>(right - left),
          static_cast<int>(bottom - top)};
}

Bitmap::Bitmap(int width, int height, Colour fill) : width_(width), height_(height) {
  const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  pixels_.reserve(count);
  AdviseHugePages(pixels_.data(), count * sizeof(Colour));
  pixels_.assign(count, fill);
}

std::optional<Bitmap> Bitmap::Create(int width, int height, Colour fill) {
  if (width < 1 || height < 1) return std::nullopt;
  if (static_cast<long long>(width) * height > kMaxPixels) return std::nullopt;
  return Bitmap(width, height, fill);
}

void FillRect(Bitmap& target, const Rect& rect, Colour colour) {
  const Rect r = Intersect(rect, target.Bounds());
  for (int y = r.top; y < r.Bottom(); ++y) std::fill_n(target.Row(y) + r.left, r.width, colour);
}

void CopyRect(Bitmap& target, int dx, int dy, const Bitmap& source, int sx, int sy, int width,
              int height, const Rect& clip) {
  // Clip in target space, then map back to the source and clip there too.
  Rect dst = Intersect(Intersect({dx, dy, width, height}, target.Bounds()), clip);
  Rect src = Intersect({sx + (dst.left - dx), sy + (dst.top - dy), dst.width, dst.height},
                       source.Bounds());
  if (src.Empty()) return;
  const int tx = dx + (src.left - sx);
  const int ty = dy + (src.top - sy);
  for (int y = 0; y < src.height; ++y) {
    std::copy_n(source.Row(src.top + y) + src.left, src.width, target.Row(ty + y) + tx);
  }
}

}  // namespace kolvane
