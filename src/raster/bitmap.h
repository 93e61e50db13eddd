#pragma once
// Our stand-in for a display-compatible bitmap: 32-bit pixels laid out 0x00BBGGRR,
// rows top-down, and the rectangle arithmetic the drawing code shares.
#include <cstdint>
#include <optional>
#include <vector>

#include "base/types.h"

namespace kolvane {

struct Rect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;

  int Right() const { return left + width; }    // exclusive
  int Bottom() const { return top + height; }   // exclusive
  bool Empty() const { return width <= 0 || height <= 0; }
  bool Contains(int x, int y) const {
    return x >= left && y >= top && x < Right() && y < Bottom();
  }
  bool operator==(const Rect&) const = default;
};

// The overlap of two rectangles (empty when they do not meet).
Rect Intersect(const Rect& a, const Rect& b);
// The smallest rectangle holding both (an empty one adds nothing).
Rect Union(const Rect& a, const Rect& b);

class Bitmap;

// The part of destination that lies inside both clip and the target, worked out in
// 64 bits: destination rectangles come from callers' arithmetic and may reach past
// the int range when their left or width is large.
Rect VisiblePart(const Bitmap& target, const Rect& destination, const Rect& clip);

class Bitmap {
 public:
  Bitmap() = default;
  // A width x height bitmap filled with fill; nothing when a side is below 1 or
  // the area exceeds kMaxPixels.
  static std::optional<Bitmap> Create(int width, int height, Colour fill = 0);

  int Width() const { return width_; }
  int Height() const { return height_; }
  Rect Bounds() const { return {0, 0, width_, height_}; }
  bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }

  Colour* Row(int y) { return pixels_.data() + static_cast<std::size_t>(y) * width_; }
  const Colour* Row(int y) const { return pixels_.data() + static_cast<std::size_t>(y) * width_; }
  Colour Pixel(int x, int y) const { return Row(y)[x]; }
  void SetPixel(int x, int y, Colour c) { Row(y)[x] = c; }
  const std::vector<Colour>& Pixels() const { return pixels_; }

 private:
  Bitmap(int width, int height, Colour fill);
  int width_ = 0;
  int height_ = 0;
  std::vector<Colour> pixels_;
};

// Fills rect (clipped to the bitmap) with colour: PatBlt with a solid brush.
void FillRect(Bitmap& target, const Rect& rect, Colour colour);

// Copies the source's part at (sx, sy) of width x height to (dx, dy) of the target,
// clipped to both bitmaps and to clip: BitBlt with SRCCOPY.
void CopyRect(Bitmap& target, int dx, int dy, const Bitmap& source, int sx, int sy, int width,
              int height, const Rect& clip);

}  // namespace kolvane
