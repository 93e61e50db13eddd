#pragma once
// Canvas text on FreeType: fonts made from font records, exact whole-pixel extents
// and monochrome glyphs drawn into a Bitmap. Faces are found through fontconfig with
// the program's own face-name aliases loaded.
#include <memory>
#include <optional>
#include <string_view>

#include "raster/bitmap.h"
#include "text/font_record.h"
#include "base/types.h"

namespace kolvane {

// The extent of a text in a font: cx is the sum of the characters' advances, cy the
// font's ascent plus descent.
struct TextExtent {
  int cx = 0;
  int cy = 0;
  bool operator==(const TextExtent&) const = default;
};

// The font used when a canvas has no font record: a sans face at 11 pixels.
FontRecord DefaultGuiFontRecord();

class Font {
 public:
  // A font for the record (its face name in code page 936). Never fails: a face
  // name that matches nothing gives the closest face fontconfig offers, and with no
  // usable face at all the font measures every text as 0 x 0 and draws nothing.
  static std::unique_ptr<Font> Create(const FontRecord& record);

  ~Font();
  Font(const Font&) = delete;
  Font& operator=(const Font&) = delete;

  // Pixels from the top of the character cell to the baseline, and below it.
  int Ascent() const;
  int Descent() const;

  // The extent of all bytes of text as one line (line-break bytes measure as the
  // characters they are). An empty text measures 0 x cy. cx saturates at INT_MAX.
  TextExtent Measure(std::string_view text);

  // Draws text as one line with the top-left corner of its character cell at
  // (x, y): glyphs without anti-aliasing in the low 24 bits of colour, nothing
  // behind them. Only pixels inside clip and the target are written; returns the
  // smallest rectangle holding every pixel written (empty when none was).
  Rect Draw(Bitmap& target, const Rect& clip, int x, int y, std::string_view text,
            Colour colour);

 private:
  class Impl;
  explicit Font(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

}  // namespace kolvane
