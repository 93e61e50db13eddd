#pragma once
// The canvas control without its window: settings, persistent bitmap, background
// picture, text and pixel reads. The bitmap is the canvas's only surface; a view
// shows it and repaints what the canvas reports as changed.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string_view>

#include "canvas/canvas_settings.h"
#include "picture/decoded_picture.h"
#include "picture/bitmap_file_loader.h"
#include "picture/drawable.h"
#include "picture/picture_decoder.h"
#include "raster/bitmap.h"
#include "base/types.h"

namespace kolvane {

class Font;

// The button-face colour for the marker 0xFF000000; any other colour unchanged.
Colour ResolveColour(Colour colour);

// Where a canvas window sits: its outer rectangle in the parent's client area (frame
// included), and the size of that client area, which bounds what can be read.
struct CanvasPlacement {
  Rect outer;
  int parent_client_width = 0;
  int parent_client_height = 0;
};

class Canvas {
 public:
  // A canvas created with its settings (the picture bytes are copied) at its place;
  // its first size builds the first PersistentBitmap, decoding the picture.
  Canvas(const CanvasSettings& settings, const CanvasPlacement& placement);
  ~Canvas();
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  // Settings.
  BorderStyle GetBorderStyle() const { return settings_.border_style; }
  Colour BackgroundColour() const { return settings_.background_colour; }
  std::span<const std::uint8_t> BackgroundPicture() const { return picture_bytes_; }
  Colour TextColour() const { return settings_.text_colour; }

  // Copies the bytes as the background picture (empty = none), drops the decoded
  // picture and rebuilds the bitmap without keeping the drawing. Bytes that cannot
  // be decoded are discarded: BackgroundPicture() is then empty, and
  // RefusedPictureReason() tells why.
  void SetBackgroundPicture(std::span<const std::uint8_t> bytes);
  // Why the last background picture's bytes were discarded; nothing when they were
  // not (or none were set).
  std::optional<PictureError> RefusedPictureReason() const { return refused_reason_; }
  // The size of the background picture as placed, when there is one to place.
  std::optional<PictureSize> PlacedPictureSize() const;

  // How background pictures are decoded: DecodePicture unless a caller that reads
  // more formats says otherwise. Applies to pictures set afterwards.
  using PictureDecoder = DecodeResult (*)(std::span<const std::uint8_t>, const DecodeOptions&);
  void SetPictureDecoder(PictureDecoder decoder) { decoder_ = decoder; }
  // A different colour rebuilds the bitmap without keeping the drawing.
  void SetBackgroundColour(Colour colour);
  // Stored unchanged (0xFFFFFFFF included); applies to later writes.
  void SetTextColour(Colour colour) { settings_.text_colour = colour; }

  // Geometry: outer size (frame included) and client size (outer less the frame).
  int Width() const { return placement_.outer.width; }
  int Height() const { return placement_.outer.height; }
  int ClientWidth() const;
  int ClientHeight() const;
  const CanvasPlacement& Placement() const { return placement_; }
  // Each sets one dimension, clamped to 0 .. 32627, and resizes keeping the
  // top-left corner and the drawing (a centred picture is placed anew instead).
  void SetWidth(int width);
  void SetHeight(int height);
  // Moves the window within its parent's client area; the drawing is unchanged.
  void Move(int left, int top);
  // The parent's client area changed size; the drawing is unchanged.
  void SetParentClientSize(int width, int height);

  // Draws text with its top-left corner at (x, y) in TextColour: a CR, an LF, CR LF
  // or LF LF ends a line; each next line starts 2 pixels below the line before.
  void WriteTextAt(int x, int y, std::string_view text);
  // The extent of all bytes of text as one line; 0 for no text.
  int MeasureTextWidth(std::string_view text);
  int MeasureTextHeight(std::string_view text);
  // The colour shown at (x, y) of the client area, or 0xFFFFFFFF for a point that
  // is not shown (outside the client area or outside the parent's client area).
  Colour ReadPixel(int x, int y) const;
  // Paints the background over the whole client area.
  void ClearSurface();

  // Builds a new PersistentBitmap of the client size (at least 1 x 1) painted with
  // the background; with keep, the old drawing's top-left part is copied onto it
  // unless a picture is centred (which is placed anew).
  void RebuildPersistentBitmap(bool keep);
  const Bitmap& PersistentBitmap() const { return bitmap_; }

  // The union of client rectangles changed since the last call, emptied by it.
  Rect TakeDirtyRect();

  // Called when the canvas goes from unchanged to changed (the dirty rectangle
  // stops being empty), with that first change: a view schedules one repaint and
  // takes the dirty rectangle when it paints, so a run of writes costs one call.
  std::function<void(const Rect&)> on_changed;
  // Called after every change of the outer size.
  std::function<void()> on_resized;

 private:
  Font& TextFont();
  Colour DrawingTextColour() const;
  Colour DrawingBackColour() const;
  void Resize(int width, int height);
  void MarkChanged(const Rect& rect);
  // Decodes the picture bytes once and makes their drawable; false when there is no
  // picture to place (none set, discarded, or not drawable).
  bool EnsureDrawable();
  void PaintBackground(Bitmap& target, const Rect& rect);
  Rect PlacePicture(Bitmap& target, const Rect& clip, bool& covers_all);

  CanvasSettings settings_;
  ByteBlock picture_bytes_;
  PictureDecoder decoder_ = &DecodePicture;
  bool picture_decoded_ = false;  // the bytes have been decoded (or discarded)
  std::optional<Drawable> drawable_;
  std::optional<PictureError> refused_reason_;
  CanvasPlacement placement_;
  int edge_ = 0;  // frame width on each side
  Bitmap bitmap_;
  std::unique_ptr<Font> font_;  // made on first use
  Rect dirty_;
};

}  // namespace kolvane
