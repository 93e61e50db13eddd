#include "canvas/canvas.h"

#include <algorithm>

#include "base/system_values.h"
#include "picture/picture_decoder.h"
#include "text/text_engine.h"

namespace kolvane {
namespace {

// The bitmap holds 0x00BBGGRR pixels: a colour with a top byte (0xFFFFFFFF from an
// unreadable pixel) is drawn as its low 24 bits.
constexpr Colour kColourBits = 0x00FFFFFF;

// Fills rect less the part that covered takes of it: the background left around a
// placed picture.
void FillAround(Bitmap& target, const Rect& rect, const Rect& covered, Colour colour) {
  const Rect c = Intersect(covered, rect);
  if (c.Empty()) {
    FillRect(target, rect, colour);
    return;
  }
  FillRect(target, {rect.left, rect.top, rect.width, c.top - rect.top}, colour);
  FillRect(target, {rect.left, c.Bottom(), rect.width, rect.Bottom() - c.Bottom()}, colour);
  FillRect(target, {rect.left, c.top, c.left - rect.left, c.height}, colour);
  FillRect(target, {c.Right(), c.top, rect.Right() - c.Right(), c.height}, colour);
}

}  // namespace

Colour ResolveColour(Colour colour) {
  return colour == kSystemColourMarker ? kButtonFaceColour : colour;
}

Canvas::Canvas(const CanvasSettings& settings, const CanvasPlacement& placement)
    : settings_(settings),
      picture_bytes_(settings.background_picture.begin(), settings.background_picture.end()),
      placement_(placement) {
  settings_.background_picture = {};  // the canvas's own copy is picture_bytes_
  placement_.outer.width = ClampControlSize(placement_.outer.width);
  placement_.outer.height = ClampControlSize(placement_.outer.height);
  placement_.parent_client_width = std::max(placement_.parent_client_width, 0);
  placement_.parent_client_height = std::max(placement_.parent_client_height, 0);
  edge_ = FrameEdge(settings_.border_style);
  RebuildPersistentBitmap(true);
}

Canvas::~Canvas() = default;

Font& Canvas::TextFont() {
  // Made on first use: finding and opening a face is the costliest part of a canvas,
  // and a canvas that is only read never needs one.
  if (!font_) font_ = Font::Create(settings_.font ? *settings_.font : DefaultGuiFontRecord());
  return *font_;
}

int Canvas::ClientWidth() const { return std::max(placement_.outer.width - 2 * edge_, 0); }
int Canvas::ClientHeight() const { return std::max(placement_.outer.height - 2 * edge_, 0); }

Colour Canvas::DrawingTextColour() const { return settings_.text_colour & kColourBits; }

Colour Canvas::DrawingBackColour() const {
  const Colour colour = settings_.text_background_colour == kSystemColourMarker
                            ? ResolveColour(settings_.background_colour)
                            : settings_.text_background_colour;
  return colour & kColourBits;
}

void Canvas::SetBackgroundPicture(std::span<const std::uint8_t> bytes) {
  ByteBlock copy(bytes.begin(), bytes.end());  // bytes may be our own
  picture_bytes_ = std::move(copy);
  picture_decoded_ = false;
  drawable_.reset();
  refused_reason_.reset();
  RebuildPersistentBitmap(false);
}

void Canvas::SetBackgroundColour(Colour colour) {
  if (colour == settings_.background_colour) return;
  settings_.background_colour = colour;
  RebuildPersistentBitmap(false);
}

void Canvas::SetWidth(int width) { Resize(ClampControlSize(width), placement_.outer.height); }
void Canvas::SetHeight(int height) { Resize(placement_.outer.width, ClampControlSize(height)); }

void Canvas::Resize(int width, int height) {
  if (width == placement_.outer.width && height == placement_.outer.height) return;
  placement_.outer.width = width;
  placement_.outer.height = height;
  RebuildPersistentBitmap(true);
  if (on_resized) on_resized();
}

void Canvas::Move(int left, int top) {
  placement_.outer.left = left;
  placement_.outer.top = top;
}

void Canvas::SetParentClientSize(int width, int height) {
  placement_.parent_client_width = std::max(width, 0);
  placement_.parent_client_height = std::max(height, 0);
}

void Canvas::RebuildPersistentBitmap(bool keep) {
  // The bitmap is the canvas's surface, and the window shows it.
  const int width = std::max(ClientWidth(), 1);
  const int height = std::max(ClientHeight(), 1);
  const Colour fill = ResolveColour(settings_.background_colour) & kColourBits;
  std::optional<Bitmap> fresh = Bitmap::Create(width, height, fill);
  if (!fresh) {
    // Too many pixels for one bitmap: keep the part that can lie within the
    // parent's client area, the only part that can be shown or read.
    const long long right = static_cast<long long>(placement_.parent_client_width) -
                            (static_cast<long long>(placement_.outer.left) + edge_);
    const long long bottom = static_cast<long long>(placement_.parent_client_height) -
                             (static_cast<long long>(placement_.outer.top) + edge_);
    fresh = Bitmap::Create(static_cast<int>(std::clamp<long long>(right, 1, width)),
                           static_cast<int>(std::clamp<long long>(bottom, 1, height)), fill);
    if (!fresh) fresh = Bitmap::Create(1, 1, fill);
  }
  PaintBackground(*fresh, fresh->Bounds());
  const bool centred_picture = !picture_bytes_.empty() &&
                               settings_.picture_placement == PicturePlacement::kCentredShrunk;
  if (keep && bitmap_.Width() > 0 && !centred_picture) {
    CopyRect(*fresh, 0, 0, bitmap_, 0, 0, std::min(fresh->Width(), bitmap_.Width()),
             std::min(fresh->Height(), bitmap_.Height()), fresh->Bounds());
  }
  bitmap_ = std::move(*fresh);
  MarkChanged({0, 0, ClientWidth(), ClientHeight()});
}

std::optional<PictureSize> Canvas::PlacedPictureSize() const {
  if (!drawable_) return std::nullopt;
  return PictureSize{drawable_->width, drawable_->height};
}

bool Canvas::EnsureDrawable() {
  if (!picture_decoded_ && !picture_bytes_.empty()) {
    picture_decoded_ = true;
    DecodeResult decoded = decoder_(picture_bytes_, DecodeOptions{});
    if (decoded) {
      // A picture that cannot be made drawable is kept but covers nothing.
      drawable_ = MakeDrawable(std::move(*decoded));
    } else {
      refused_reason_ = decoded.error();
      ByteBlock().swap(picture_bytes_);  // discarded
    }
  }
  return drawable_.has_value();
}

void Canvas::PaintBackground(Bitmap& target, const Rect& rect) {
  if (rect.Empty()) return;
  const Colour fill = ResolveColour(settings_.background_colour) & kColourBits;
  if (!EnsureDrawable()) {
    FillRect(target, rect, fill);
    return;
  }
  bool covers_all = false;
  const Rect covered = PlacePicture(target, rect, covers_all);
  if (!covers_all) FillAround(target, rect, covered, fill);
}

Rect Canvas::PlacePicture(Bitmap& target, const Rect& clip, bool& covers_all) {
  covers_all = false;
  const Drawable& drawable = *drawable_;
  if (drawable.width <= 0 || drawable.height <= 0) return {};
  const int pw = drawable.width;
  const int ph = drawable.height;
  const TargetState state{DrawingTextColour(), DrawingBackColour(), StretchMode::kHalftone};
  const Rect painted = Intersect(clip, target.Bounds());
  // The picture is placed in the client rectangle, whatever part is being painted.
  int left = 0;
  int top = 0;
  int area_width = ClientWidth();
  int area_height = ClientHeight();

  switch (settings_.picture_placement) {
    case PicturePlacement::kTopLeft:
      DrawDecodedPicture(target, drawable, left, top, -1, -1, state, painted);
      return {left, top, pw, ph};

    case PicturePlacement::kTiled: {
      covers_all = true;
      if (painted.Empty()) return {};
      // Only tiles that meet the painted rectangle are drawn, so start at the first
      // of them rather than walking every tile of the area.
      const long long first_row = std::max<long long>((painted.top - top) / ph, 0);
      const long long first_column = std::max<long long>((painted.left - left) / pw, 0);
      const long long area_bottom = std::min<long long>(top + area_height, painted.Bottom());
      const long long area_right = std::min<long long>(left + area_width, painted.Right());
      for (long long y = top + first_row * ph; y < area_bottom; y += ph) {
        for (long long x = left + first_column * pw; x < area_right; x += pw) {
          DrawDecodedPicture(target, drawable, static_cast<int>(x), static_cast<int>(y), -1, -1,
                             state, painted);
        }
      }
      return {};
    }

    case PicturePlacement::kCentredShrunk: {
      if (pw <= area_width) {
        left += (area_width - pw) / 2;
        area_width = pw;
      }
      if (ph <= area_height) {
        top += (area_height - ph) / 2;
        area_height = ph;
      }
      int w = pw;
      int h = ph;
      if (pw > area_width || ph > area_height) {
        // Never enlarged: one factor shrinks both sides, keeping the aspect.
        const double t = std::min(static_cast<double>(area_width) / pw,
                                  static_cast<double>(area_height) / ph);
        w = static_cast<int>(pw * t);
        h = static_cast<int>(ph * t);
        left += (area_width - w) / 2;
        top += (area_height - h) / 2;
      }
      if (w > 0 && h > 0) DrawDecodedPicture(target, drawable, left, top, w, h, state, painted);
      return {left, top, w, h};
    }
  }
  return {};
}

void Canvas::WriteTextAt(int x, int y, std::string_view text) {
  if (text.empty()) return;
  const Colour colour = DrawingTextColour();
  const bool opaque = settings_.text_background_colour != kSystemColourMarker;
  const Rect surface = bitmap_.Bounds();
  Rect changed;
  long long line_top = y;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = std::min(text.find_first_of("\r\n", start), text.size());
    const std::string_view line = text.substr(start, end - start);
    if (!line.empty()) {
      const int top = static_cast<int>(line_top);
      if (opaque) {
        const TextExtent extent = TextFont().Measure(line);
        const Rect cell = Intersect({x, top, extent.cx, extent.cy}, surface);
        FillRect(bitmap_, cell, settings_.text_background_colour & kColourBits);
        changed = Union(changed, cell);
      }
      changed = Union(changed, TextFont().Draw(bitmap_, surface, x, top, line, colour));
    }
    if (end == text.size()) break;
    // CR LF and LF LF are one break; LF CR is two.
    std::size_t next = end + 1;
    if (next < text.size() && text[next] == '\n') ++next;
    if (next >= text.size()) break;  // a trailing break adds no empty line
    start = next;
    // Measured only here: a single line, the common case, needs no extent.
    // Empty lines take the height of "W".
    const int line_height = TextFont().Measure(line.empty() ? "W" : line).cy;
    line_top += static_cast<long long>(line_height) + 2;
    if (line_top >= surface.Bottom()) break;  // every later line lies lower still
  }
  MarkChanged(changed);
}

int Canvas::MeasureTextWidth(std::string_view text) {
  return text.empty() ? 0 : TextFont().Measure(text).cx;
}

int Canvas::MeasureTextHeight(std::string_view text) {
  return text.empty() ? 0 : TextFont().Measure(text).cy;
}

Colour Canvas::ReadPixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= ClientWidth() || y >= ClientHeight()) return kUnreadableColour;
  // Only the part of the client area inside the parent's client area is shown.
  const long long parent_x = static_cast<long long>(placement_.outer.left) + edge_ + x;
  const long long parent_y = static_cast<long long>(placement_.outer.top) + edge_ + y;
  if (parent_x < 0 || parent_y < 0 || parent_x >= placement_.parent_client_width ||
      parent_y >= placement_.parent_client_height) {
    return kUnreadableColour;
  }
  if (!bitmap_.Contains(x, y)) return kUnreadableColour;
  return bitmap_.Pixel(x, y);
}

void Canvas::ClearSurface() {
  const Rect client{0, 0, ClientWidth(), ClientHeight()};
  PaintBackground(bitmap_, client);
  MarkChanged(client);
}

Rect Canvas::TakeDirtyRect() {
  const Rect taken = dirty_;
  dirty_ = {};
  return taken;
}

void Canvas::MarkChanged(const Rect& rect) {
  const Rect changed = Intersect(rect, {0, 0, ClientWidth(), ClientHeight()});
  if (changed.Empty()) return;
  const bool was_clean = dirty_.Empty();
  dirty_ = Union(dirty_, changed);
  if (was_clean && on_changed) on_changed(changed);
}

}  // namespace kolvane
