#include "raster/stretch.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace kolvane {
namespace {

// The source pixels behind one destination pixel along one axis: destination pixel
// d covers source interval [d * source / dest, (d + 1) * source / dest). In units of
// 1 / dest source pixels every overlap is a whole number, and the weights of one
// destination pixel add up to source.
struct Span {
  int first = 0;                      // first source index
  std::vector<std::uint32_t> weight;  // overlap of each source index from first on
};

std::vector<Span> AreaSpans(std::int64_t source, std::int64_t dest, std::int64_t from,
                            std::int64_t count) {
  std::vector<Span> spans(static_cast<std::size_t>(count));
  for (std::int64_t i = 0; i < count; ++i) {
    const std::int64_t d = from + i;
    const std::int64_t begin = d * source;  // in units of 1 / dest
    const std::int64_t end = begin + source;
    const std::int64_t first = begin / dest;
    const std::int64_t last = (end - 1) / dest;
    Span& span = spans[static_cast<std::size_t>(i)];
    span.first = static_cast<int>(first);
    span.weight.reserve(static_cast<std::size_t>(last - first + 1));
    for (std::int64_t s = first; s <= last; ++s) {
      const std::int64_t overlap =
          std::min(end, (s + 1) * dest) - std::max(begin, s * dest);
      span.weight.push_back(static_cast<std::uint32_t>(overlap));
    }
  }
  return spans;
}

// The source pixel under the centre of destination pixel d.
int NearestIndex(std::int64_t d, std::int64_t source, std::int64_t dest) {
  return static_cast<int>((2 * d + 1) * source / (2 * dest));
}

void AreaAverage(Bitmap& target, const Rect& destination, const Bitmap& source,
                 const Rect& visible) {
  const std::vector<Span> columns =
      AreaSpans(source.Width(), destination.width,
                std::int64_t{visible.left} - destination.left, visible.width);
  const std::vector<Span> rows =
      AreaSpans(source.Height(), destination.height,
                std::int64_t{visible.top} - destination.top, visible.height);
  // Each weight is at most source width (height), so a product of two is at most the
  // source's area (below 2^29) and a channel sum stays far inside 64 bits.
  const std::uint64_t total = std::uint64_t{static_cast<std::uint32_t>(source.Width())} *
                              static_cast<std::uint32_t>(source.Height());
  std::vector<std::uint64_t> sums(static_cast<std::size_t>(visible.width) * 3);
  for (int j = 0; j < visible.height; ++j) {
    std::fill(sums.begin(), sums.end(), 0);
    const Span& row_span = rows[static_cast<std::size_t>(j)];
    for (std::size_t r = 0; r < row_span.weight.size(); ++r) {
      const Colour* source_row = source.Row(row_span.first + static_cast<int>(r));
      const std::uint64_t wy = row_span.weight[r];
      for (int i = 0; i < visible.width; ++i) {
        const Span& column_span = columns[static_cast<std::size_t>(i)];
        const Colour* pixel = source_row + column_span.first;
        std::uint64_t red = 0, green = 0, blue = 0;
        for (std::size_t c = 0; c < column_span.weight.size(); ++c) {
          const std::uint64_t wx = column_span.weight[c];
          red += RedOf(pixel[c]) * wx;
          green += GreenOf(pixel[c]) * wx;
          blue += BlueOf(pixel[c]) * wx;
        }
        std::uint64_t* sum = &sums[static_cast<std::size_t>(i) * 3];
        sum[0] += red * wy;
        sum[1] += green * wy;
        sum[2] += blue * wy;
      }
    }
    Colour* out = target.Row(visible.top + j) + visible.left;
    for (int i = 0; i < visible.width; ++i) {
      const std::uint64_t* sum = &sums[static_cast<std::size_t>(i) * 3];
      out[i] = MakeColour(static_cast<std::uint8_t>((sum[0] + total / 2) / total),
                          static_cast<std::uint8_t>((sum[1] + total / 2) / total),
                          static_cast<std::uint8_t>((sum[2] + total / 2) / total));
    }
  }
}

void NearestPixel(Bitmap& target, const Rect& destination, const Bitmap& source,
                  const Rect& visible) {
  std::vector<int> columns(static_cast<std::size_t>(visible.width));
  for (int i = 0; i < visible.width; ++i) {
    columns[static_cast<std::size_t>(i)] =
        NearestIndex(std::int64_t{visible.left} + i - destination.left, source.Width(),
                     destination.width);
  }
  for (int j = 0; j < visible.height; ++j) {
    const Colour* source_row = source.Row(NearestIndex(
        std::int64_t{visible.top} + j - destination.top, source.Height(), destination.height));
    Colour* out = target.Row(visible.top + j) + visible.left;
    for (int i = 0; i < visible.width; ++i) {
      out[i] = source_row[columns[static_cast<std::size_t>(i)]];
    }
  }
}

}  // namespace

void StretchCopy(Bitmap& target, const Rect& destination, const Bitmap& source,
                 StretchMode mode, const Rect& clip) {
  if (destination.Empty() || source.Width() < 1 || source.Height() < 1) return;
  const Rect visible = VisiblePart(target, destination, clip);
  if (visible.Empty()) return;
  if (destination.width == source.Width() && destination.height == source.Height()) {
    // At natural size both modes copy pixel for pixel.
    for (int j = 0; j < visible.height; ++j) {
      const Colour* from = source.Row(visible.top - destination.top + j) +
                           (visible.left - destination.left);
      std::copy_n(from, visible.width, target.Row(visible.top + j) + visible.left);
    }
    return;
  }
  if (mode == StretchMode::kHalftone) {
    AreaAverage(target, destination, source, visible);
  } else {
    NearestPixel(target, destination, source, visible);
  }
}

}  // namespace kolvane
