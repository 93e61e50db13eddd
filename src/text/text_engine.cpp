#include "text/text_engine.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_ADVANCES_H
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "text/codepage.h"
#include "resources/resources.h"

namespace kolvane {
namespace {

constexpr int kDefaultGuiFontPixels = 11;
// Em sizes are kept to this many pixels so that one glyph raster stays small.
constexpr int kMaxEmPixels = 2048;
// Below this em size glyphs are rasterised from the unhinted outline: hinting
// instructions are not made for a handful of pixels and push the ink out of the
// character cell (the one-pixel "光" would land one pixel right of and below it).
constexpr int kMinHintedEmPixels = 8;
// The LOGFONTA face-name field holds 31 bytes and a terminator.
constexpr std::size_t kMaxFaceNameBytes = 31;
// Weights from FW_SEMIBOLD up are drawn bold.
constexpr int kMinBoldWeight = 600;
// Slant of synthetic italics: the shear FreeType uses for its oblique glyphs.
constexpr FT_Fixed kItalicShear = 0x0366A;
// Texts up to this length are kept shaped in a few slots: a conversion run
// measures and draws the same short text for every pixel.
constexpr std::size_t kMaxCachedTextBytes = 256;
constexpr std::size_t kShapeSlots = 8;
// Rendered glyphs are dropped when their spans take more than this.
constexpr std::size_t kGlyphInkBudgetBytes = std::size_t{64} << 20;

// floor(numerator / denominator + 1/2) for a positive denominator: halves round up.
long long RoundDiv(long long numerator, long long denominator) {
  const long long twice = 2 * numerator + denominator;
  const long long d = 2 * denominator;
  return twice >= 0 ? twice / d : -((-twice + d - 1) / d);
}

// FreeType and the fontconfig configuration with our face-name aliases, made once
// and never changed afterwards.
class FontServices {
 public:
  static FontServices& Get() {
    static FontServices services;
    return services;
  }
  FT_Library Library() const { return library_; }
  FcConfig* Config() const { return config_; }

 private:
  FontServices() {
    if (FT_Init_FreeType(&library_) != 0) library_ = nullptr;
    config_ = FcInitLoadConfig();
    if (config_ == nullptr) return;
    const auto alias = resources::font_alias();
    const std::string text(alias.begin(), alias.end());  // the parser wants a terminator
    FcConfigParseAndLoadFromMemory(config_, reinterpret_cast<const FcChar8*>(text.c_str()),
                                   FcFalse);
    FcConfigBuildFonts(config_);
  }
  ~FontServices() {
    if (config_ != nullptr) FcConfigDestroy(config_);
    if (library_ != nullptr) FT_Done_FreeType(library_);
  }
  FontServices(const FontServices&) = delete;
  FontServices& operator=(const FontServices&) = delete;

  FT_Library library_ = nullptr;
  FcConfig* config_ = nullptr;
};

struct FaceLocation {
  std::string file;
  int index = 0;
  bool operator==(const FaceLocation&) const = default;
};

// The face fontconfig chooses for a family (UTF-8; empty for its default), regular
// and upright, optionally for a language.
std::optional<FaceLocation> MatchFace(const std::string& family, const char* language) {
  FcConfig* config = FontServices::Get().Config();
  if (config == nullptr) return std::nullopt;
  FcPattern* pattern = FcPatternCreate();
  if (pattern == nullptr) return std::nullopt;
  if (!family.empty()) {
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  }
  if (language != nullptr) {
    FcPatternAddString(pattern, FC_LANG, reinterpret_cast<const FcChar8*>(language));
  }
  FcPatternAddInteger(pattern, FC_WEIGHT, FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pattern, FC_SLANT, FC_SLANT_ROMAN);
  FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
  FcConfigSubstitute(config, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(config, pattern, &result);
  FcPatternDestroy(pattern);
  if (match == nullptr) return std::nullopt;
  std::optional<FaceLocation> location;
  FcChar8* file = nullptr;
  if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file != nullptr) {
    int index = 0;
    FcPatternGetInteger(match, FC_INDEX, 0, &index);
    location = FaceLocation{reinterpret_cast<const char*>(file), index};
  }
  FcPatternDestroy(match);
  return location;
}

// An open FreeType face, closed with its owner.
class Face {
 public:
  Face() = default;
  ~Face() {
    if (face_ != nullptr) FT_Done_Face(face_);
  }
  Face(const Face&) = delete;
  Face& operator=(const Face&) = delete;

  // Opens a scalable face; false (and nothing open) otherwise.
  bool Open(const FaceLocation& location) {
    FT_Library library = FontServices::Get().Library();
    if (library == nullptr) return false;
    if (FT_New_Face(library, location.file.c_str(), location.index, &face_) != 0) {
      face_ = nullptr;
      return false;
    }
    if (!FT_IS_SCALABLE(face_) || face_->units_per_EM == 0) {
      FT_Done_Face(face_);
      face_ = nullptr;
      return false;
    }
    location_ = location;
    return true;
  }
  FT_Face Get() const { return face_; }
  const FaceLocation& Location() const { return location_; }

 private:
  FT_Face face_ = nullptr;
  FaceLocation location_;
};

// One horizontal run of ink, relative to the pen position and the baseline.
struct Span {
  int dx = 0;
  int dy = 0;
  int length = 0;
};

struct Glyph {
  FT_Face face = nullptr;  // the primary face or the fallback face
  FT_UInt index = 0;
  int advance = 0;
  bool rendered = false;
  std::vector<Span> spans;
};

struct Shaped {
  std::vector<Glyph*> glyphs;
  long long cx = 0;
};

struct ShapeSlot {
  std::string text;
  Shaped shaped;
  bool used = false;
};

// The row of a bitmap that lies r rows below its top, whatever its flow.
const unsigned char* BitmapRow(const FT_Bitmap& bitmap, unsigned r) {
  if (bitmap.pitch >= 0) return bitmap.buffer + static_cast<std::size_t>(r) * bitmap.pitch;
  return bitmap.buffer + static_cast<std::size_t>(bitmap.rows - 1 - r) * -bitmap.pitch;
}

bool IsInk(const FT_Bitmap& bitmap, const unsigned char* row, unsigned c) {
  switch (bitmap.pixel_mode) {
    case FT_PIXEL_MODE_MONO: return ((row[c >> 3] >> (7 - (c & 7))) & 1) != 0;
    case FT_PIXEL_MODE_GRAY: return row[c] >= 128;
    default: return false;
  }
}

}  // namespace

class Font::Impl {
 public:
  explicit Impl(const FontRecord& record) {
    if (!OpenPrimary(record)) return;
    FT_Face face = primary_.Get();
    const long long upem = face->units_per_EM;
    const long long ascender = std::max<long long>(face->ascender, 0);
    const long long descender = std::max<long long>(-static_cast<long long>(face->descender), 0);

    // Negative heights are em heights; positive ones are cell heights (ascent plus
    // descent), which give the em that makes the design cell that high.
    long long em_y = 0;
    const long long height = record.height;
    if (height < 0) {
      em_y = -height * 64;
    } else if (height > 0) {
      em_y = ascender + descender > 0 ? RoundDiv(height * 64 * upem, ascender + descender)
                                      : height * 64;
    } else {
      em_y = kDefaultGuiFontPixels * 64;
    }
    em_y = std::clamp<long long>(em_y, 64, kMaxEmPixels * 64);

    // A non-zero width is the average character width the font is to have.
    long long em_x = em_y;
    if (record.width != 0) {
      const long long width = record.width < 0 ? -static_cast<long long>(record.width)
                                                : record.width;
      const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
      em_x = os2 != nullptr && os2->xAvgCharWidth > 0
                 ? RoundDiv(width * 64 * upem, os2->xAvgCharWidth)
                 : width * 64;
      em_x = std::clamp<long long>(em_x, 64, kMaxEmPixels * 64);
    }
    em_x_ = em_x;
    em_y_ = em_y;

    // Vertical metrics: the face's ascender and descender (FreeType takes them from
    // hhea, falling back to OS/2), each scaled and rounded to the nearest pixel.
    // FreeType's own size metrics round outwards, which would make a one-pixel
    // font two pixels high.
    ascent_ = static_cast<int>(RoundDiv(ascender * em_y, 64 * upem));
    descent_ = static_cast<int>(RoundDiv(descender * em_y, 64 * upem));

    bold_ = record.weight >= kMinBoldWeight;
    italic_ = record.italic;
    embolden_strength_ = static_cast<FT_Pos>(em_y / 24);
    bold_extra_advance_ = bold_ ? static_cast<int>(RoundDiv(embolden_strength_, 64)) : 0;
    left_overhang_limit_ = static_cast<int>(2 * std::max(em_x, em_y) / 64 + 1);
    const bool hinted = em_y >= kMinHintedEmPixels * 64;
    load_flags_ = hinted ? FT_LOAD_TARGET_MONO : (FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP);
    if (bold_ || italic_) load_flags_ |= FT_LOAD_NO_BITMAP;  // strikes take no synthesis
    PrepareFace(face);

    SetUpLines(record, face, upem);
    usable_ = true;
  }

  int Ascent() const { return ascent_; }
  int Descent() const { return descent_; }

  TextExtent Measure(std::string_view text) {
    if (!usable_) return {};
    const Shaped& shaped = Shape(text);
    return {static_cast<int>(std::min<long long>(shaped.cx, INT_MAX)), ascent_ + descent_};
  }

  Rect Draw(Bitmap& target, const Rect& clip, int x, int y, std::string_view text,
            Colour colour) {
    if (!usable_) return {};
    const Rect area = Intersect(clip, target.Bounds());
    if (area.Empty() || text.empty()) return {};
    const Shaped& shaped = Shape(text);
    colour &= 0x00FFFFFF;
    Extent written;
    const long long baseline = static_cast<long long>(y) + ascent_;
    long long pen = x;
    for (Glyph* glyph : shaped.glyphs) {
      // No ink lies further left of its pen than the limit, and pens only move right.
      if (pen - left_overhang_limit_ >= area.Right()) break;
      if (!glyph->rendered) Render(*glyph);
      for (const Span& span : glyph->spans) {
        FillRun(target, area, pen + span.dx, baseline + span.dy, span.length, colour, written);
      }
      pen += glyph->advance;
    }
    if (underline_ || strike_out_) {
      const long long length = shaped.cx;
      const auto line = [&](int top, int thickness) {
        for (int r = 0; r < thickness; ++r) {
          FillRun(target, area, x, static_cast<long long>(y) + top + r, length, colour, written);
        }
      };
      if (underline_) line(underline_top_, underline_thickness_);
      if (strike_out_) line(strike_top_, strike_thickness_);
    }
    return written.ToRect();
  }

 private:
  struct Extent {
    long long left = LLONG_MAX, top = LLONG_MAX, right = LLONG_MIN, bottom = LLONG_MIN;
    Rect ToRect() const {
      if (left > right) return {};
      return {static_cast<int>(left), static_cast<int>(top), static_cast<int>(right - left),
              static_cast<int>(bottom - top)};
    }
  };

  // Fills the run (x0, row) of length pixels clipped to area and records it.
  static void FillRun(Bitmap& target, const Rect& area, long long x0, long long row,
                      long long length, Colour colour, Extent& written) {
    if (row < area.top || row >= area.Bottom()) return;
    const long long left = std::max<long long>(x0, area.left);
    const long long right = std::min<long long>(x0 + length, area.Right());
    if (left >= right) return;
    std::fill(target.Row(static_cast<int>(row)) + left, target.Row(static_cast<int>(row)) + right,
              colour);
    written.left = std::min(written.left, left);
    written.right = std::max(written.right, right);
    written.top = std::min(written.top, row);
    written.bottom = std::max(written.bottom, row + 1);
  }

  bool OpenPrimary(const FontRecord& record) {
    // The face name ends at the first zero byte, as in the record's fixed field.
    std::string_view name = record.face_name;
    name = name.substr(0, std::min(name.find('\0'), kMaxFaceNameBytes));
    const auto location = MatchFace(Utf8FromCp936(name), nullptr);
    if (location && primary_.Open(*location)) return true;
    const auto fallback = MatchFace("sans-serif", nullptr);
    return fallback && primary_.Open(*fallback);
  }

  // The face that serves characters the primary face lacks: a CJK face, opened the
  // first time it is needed. Null when there is none besides the primary.
  FT_Face Fallback() {
    if (fallback_tried_) return fallback_.Get();
    fallback_tried_ = true;
    const auto location = MatchFace("sans-serif", "zh-cn");
    if (!location || *location == primary_.Location()) return nullptr;
    if (!fallback_.Open(*location)) return nullptr;
    PrepareFace(fallback_.Get());
    return fallback_.Get();
  }

  void PrepareFace(FT_Face face) {
    FT_Set_Char_Size(face, static_cast<FT_F26Dot6>(em_x_), static_cast<FT_F26Dot6>(em_y_), 72, 72);
    if (italic_) {
      FT_Matrix shear{0x10000, kItalicShear, 0, 0x10000};
      FT_Set_Transform(face, &shear, nullptr);
    }
  }

  void SetUpLines(const FontRecord& record, FT_Face face, long long upem) {
    underline_ = record.underline;
    strike_out_ = record.strike_out;
    const int cy = ascent_ + descent_;
    const auto scale = [&](long long units) { return RoundDiv(units * em_y_, 64 * upem); };
    const auto fit = [cy](long long top, int thickness) {
      return static_cast<int>(std::clamp<long long>(top, 0, std::max(cy - thickness, 0)));
    };
    underline_thickness_ =
        static_cast<int>(std::clamp<long long>(scale(face->underline_thickness), 1, std::max(cy, 1)));
    underline_top_ = fit(ascent_ + scale(-static_cast<long long>(face->underline_position)) -
                             underline_thickness_ / 2,
                         underline_thickness_);
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    const long long strike_position = os2 != nullptr && os2->yStrikeoutPosition > 0
                                          ? os2->yStrikeoutPosition
                                          : face->ascender / 3;
    const long long strike_size = os2 != nullptr && os2->yStrikeoutSize > 0
                                      ? os2->yStrikeoutSize
                                      : face->underline_thickness;
    strike_thickness_ = static_cast<int>(std::clamp<long long>(scale(strike_size), 1, std::max(cy, 1)));
    strike_top_ = fit(ascent_ - scale(strike_position), strike_thickness_);
  }

  char32_t CodePointOf(unsigned key, std::string_view bytes) {
    if (code_points_.empty()) code_points_.assign(0x10000, 0);
    char32_t& memo = code_points_[key];
    if (memo == 0) {
      const std::u32string decoded = CodePointsFromCp936(bytes);
      memo = decoded.empty() ? U'\uFFFD' : decoded.front();
    }
    return memo;
  }

  Glyph& GlyphOf(char32_t code_point) {
    auto [it, inserted] = glyphs_.try_emplace(code_point);
    Glyph& glyph = it->second;
    if (!inserted) return glyph;
    FT_Face face = primary_.Get();
    FT_UInt index = FT_Get_Char_Index(face, code_point);
    if (index == 0) {
      if (FT_Face fallback = Fallback(); fallback != nullptr) {
        if (const FT_UInt other = FT_Get_Char_Index(fallback, code_point); other != 0) {
          face = fallback;
          index = other;
        }
      }
    }
    glyph.face = face;
    glyph.index = index;
    FT_Fixed units = 0;
    if (FT_Get_Advance(face, index, FT_LOAD_NO_SCALE, &units) != 0) units = 0;
    glyph.advance = static_cast<int>(RoundDiv(static_cast<long long>(units) * em_x_,
                                              64LL * face->units_per_EM)) +
                    bold_extra_advance_;
    return glyph;
  }

  const Shaped& Shape(std::string_view text) {
    const bool cacheable = text.size() <= kMaxCachedTextBytes;
    if (cacheable) {
      for (ShapeSlot& slot : slots_) {
        if (slot.used && slot.text == text) return slot.shaped;
      }
    }
    if (ink_bytes_ > kGlyphInkBudgetBytes) {
      // Shaped texts point at glyphs, so both go together.
      for (ShapeSlot& slot : slots_) slot = ShapeSlot{};
      glyphs_.clear();
      ink_bytes_ = 0;
    }
    Shaped* out = &scratch_;
    if (cacheable) {
      ShapeSlot& slot = slots_[next_slot_];
      next_slot_ = (next_slot_ + 1) % slots_.size();
      slot.text.assign(text);
      slot.used = true;
      out = &slot.shaped;
    }
    out->glyphs.clear();
    out->cx = 0;
    for (std::size_t i = 0; i < text.size();) {
      const unsigned char lead = static_cast<unsigned char>(text[i]);
      char32_t code_point = lead;
      if (lead >= 0x80) {
        // Same pairing as the code-page decoder: a lead byte takes the next byte.
        const std::size_t n = (lead >= 0x81 && lead <= 0xFE && i + 1 < text.size()) ? 2 : 1;
        const unsigned key =
            n == 2 ? (unsigned{lead} << 8) | static_cast<unsigned char>(text[i + 1]) : lead;
        code_point = CodePointOf(key, text.substr(i, n));
        i += n;
      } else {
        ++i;
      }
      Glyph& glyph = GlyphOf(code_point);
      out->glyphs.push_back(&glyph);
      out->cx += glyph.advance;
    }
    return *out;
  }

  // Loads and rasterises a glyph; the slot holds a bitmap, or nothing on failure.
  FT_GlyphSlot LoadBitmap(const Glyph& glyph, FT_Int32 flags, FT_Render_Mode mode) {
    if (FT_Load_Glyph(glyph.face, glyph.index, flags) != 0) return nullptr;
    FT_GlyphSlot slot = glyph.face->glyph;
    if (slot->format == FT_GLYPH_FORMAT_OUTLINE) {
      if (bold_) FT_Outline_Embolden(&slot->outline, embolden_strength_);
      if (FT_Render_Glyph(slot, mode) != 0) return nullptr;
    }
    return slot->format == FT_GLYPH_FORMAT_BITMAP ? slot : nullptr;
  }

  void AddSpan(Glyph& glyph, FT_GlyphSlot slot, unsigned row, unsigned first, unsigned end) {
    const long long dx = static_cast<long long>(slot->bitmap_left) + first;
    const long long dy = static_cast<long long>(row) - slot->bitmap_top;
    long long length = end - first;
    long long start = dx;
    if (start < -left_overhang_limit_) {
      length -= -left_overhang_limit_ - start;
      start = -left_overhang_limit_;
    }
    if (length <= 0) return;
    glyph.spans.push_back(
        {static_cast<int>(start), static_cast<int>(dy), static_cast<int>(length)});
  }

  void Render(Glyph& glyph) {
    glyph.rendered = true;
    glyph.spans.clear();
    FT_GlyphSlot slot = LoadBitmap(glyph, load_flags_, FT_RENDER_MODE_MONO);
    if (slot == nullptr) return;
    const FT_Bitmap& bitmap = slot->bitmap;
    for (unsigned r = 0; r < bitmap.rows; ++r) {
      const unsigned char* row = BitmapRow(bitmap, r);
      unsigned c = 0;
      while (c < bitmap.width) {
        if (!IsInk(bitmap, row, c)) {
          ++c;
          continue;
        }
        const unsigned first = c;
        while (c < bitmap.width && IsInk(bitmap, row, c)) ++c;
        AddSpan(glyph, slot, r, first, c);
      }
    }
    if (glyph.spans.empty()) RenderStrongestPixel(glyph);
    ink_bytes_ += glyph.spans.size() * sizeof(Span) + sizeof(Glyph);
  }

  // A glyph too small for any whole pixel of it to be inked still shows: as the one
  // pixel its outline covers most (the first such pixel in reading order). So the
  // one-pixel "光" is one solid pixel at its cell.
  void RenderStrongestPixel(Glyph& glyph) {
    FT_GlyphSlot slot =
        LoadBitmap(glyph, FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP, FT_RENDER_MODE_NORMAL);
    if (slot == nullptr || slot->bitmap.pixel_mode != FT_PIXEL_MODE_GRAY) return;
    const FT_Bitmap& bitmap = slot->bitmap;
    unsigned best = 0, best_row = 0, best_column = 0;
    for (unsigned r = 0; r < bitmap.rows; ++r) {
      const unsigned char* row = BitmapRow(bitmap, r);
      for (unsigned c = 0; c < bitmap.width; ++c) {
        if (row[c] > best) {
          best = row[c];
          best_row = r;
          best_column = c;
        }
      }
    }
    if (best > 0) AddSpan(glyph, slot, best_row, best_column, best_column + 1);
  }

  Face primary_;
  Face fallback_;
  bool fallback_tried_ = false;
  bool usable_ = false;
  long long em_x_ = 0;  // 26.6 pixels
  long long em_y_ = 0;
  int ascent_ = 0;
  int descent_ = 0;
  bool bold_ = false;
  bool italic_ = false;
  FT_Pos embolden_strength_ = 0;
  int bold_extra_advance_ = 0;
  int left_overhang_limit_ = 0;
  FT_Int32 load_flags_ = 0;
  bool underline_ = false;
  bool strike_out_ = false;
  int underline_top_ = 0;
  int underline_thickness_ = 1;
  int strike_top_ = 0;
  int strike_thickness_ = 1;

  std::vector<char32_t> code_points_;  // by lead << 8 | trail, or by a single byte
  std::unordered_map<char32_t, Glyph> glyphs_;
  std::size_t ink_bytes_ = 0;
  std::array<ShapeSlot, kShapeSlots> slots_;
  std::size_t next_slot_ = 0;
  Shaped scratch_;
};

FontRecord DefaultGuiFontRecord() {
  FontRecord record;
  record.height = -kDefaultGuiFontPixels;
  record.weight = 400;
  record.face_name = "DejaVu Sans";
  return record;
}

std::unique_ptr<Font> Font::Create(const FontRecord& record) {
  return std::unique_ptr<Font>(new Font(std::make_unique<Impl>(record)));
}

Font::Font(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
Font::~Font() = default;

int Font::Ascent() const { return impl_->Ascent(); }
int Font::Descent() const { return impl_->Descent(); }

TextExtent Font::Measure(std::string_view text) { return impl_->Measure(text); }

Rect Font::Draw(Bitmap& target, const Rect& clip, int x, int y, std::string_view text,
                Colour colour) {
  return impl_->Draw(target, clip, x, y, text, colour);
}

}  // namespace kolvane
