#include "richtext/rich_text.h"

#include <algorithm>
#include <cctype>
#include <array>
#include <charconv>
#include <limits>
#include <memory>
#include <utility>
#include <vector>

#include "richtext/rtf_frame.h"
#include "base/byte_sink.h"
#include "richtext/html_writer.h"
#include "text/codepage.h"

namespace kolvane {
namespace {

constexpr char16_t kLineSeparator = 0x2028;
constexpr char16_t kReplacement = 0xFFFD;
constexpr char kUpperHex[] = "0123456789ABCDEF";

constexpr std::int16_t kRtfDefaultFontSize = 24;
// The longest format switches before a run ("\cf2147483647\f2147483647\fs-32768\b0\i0
// \ulnone") and the longest form of one UTF-16 unit ("\u-32768\'3F").
constexpr std::size_t kMaxRunSwitchesLength = 13 + 12 + 9 + 3 + 3 + 7;
constexpr std::size_t kMaxUnitLength = 12;

void AppendNumber(std::string& out, long long value) {
  char buffer[24];
  const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
  out.append(buffer, end);
}

bool IsHighSurrogate(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLowSurrogate(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

// UTF-8 to UTF-16; a byte that starts no valid sequence becomes U+FFFD.
std::u16string Utf16FromUtf8(std::string_view utf8) {
  std::u16string out;
  std::size_t i = 0;
  while (i < utf8.size()) {
    const auto lead = static_cast<std::uint8_t>(utf8[i]);
    std::size_t length = 0;
    char32_t cp = 0;
    char32_t minimum = 0;
    if (lead < 0x80) {
      length = 1, cp = lead;
    } else if ((lead & 0xE0) == 0xC0) {
      length = 2, cp = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
      length = 3, cp = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
      length = 4, cp = lead & 0x07, minimum = 0x10000;
    }
    bool valid = length > 0 && length <= utf8.size() - i;
    for (std::size_t k = 1; valid && k < length; ++k) {
      const auto next = static_cast<std::uint8_t>(utf8[i + k]);
      valid = (next & 0xC0) == 0x80;
      cp = (cp << 6) | (next & 0x3F);
    }
    if (!valid || cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
      out.push_back(kReplacement);
      ++i;
      continue;
    }
    if (cp < 0x10000) {
      out.push_back(static_cast<char16_t>(cp));
    } else {
      out.push_back(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
    }
    i += length;
  }
  return out;
}

// Appends one UTF-16 unit, or the pair starting at text[i] (advancing i), as UTF-8; an
// unpaired surrogate becomes U+FFFD.
void AppendUtf16Unit(std::string& out, std::u16string_view text, std::size_t& i) {
  const char16_t unit = text[i];
  if (IsHighSurrogate(unit) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
    AppendUtf8(out, 0x10000 + ((char32_t{unit} - 0xD800) << 10) + (text[i + 1] - 0xDC00));
    ++i;
  } else if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) {
    AppendUtf8(out, kReplacement);
  } else {
    AppendUtf8(out, unit);
  }
}

// Code-page-936 bytes of single UTF-16 code units, looked up once per distinct unit: a
// document of text art repeats one character millions of times.
class Cp936Encoder {
 public:
  // Appends the unit's bytes as upper-case \'HH escapes; false (and nothing appended)
  // when code page 936 has no bytes that read back as this unit.
  bool AppendEscaped(std::string& out, char16_t unit) {
    auto& page = pages_[unit >> 8];
    if (!page) {
      page = std::make_unique<std::array<std::uint16_t, 256>>();
      page->fill(kUnknown);
    }
    std::uint16_t& entry = (*page)[unit & 0xFF];
    if (entry == kUnknown) entry = Encode(unit);
    if (entry == kNone) return false;
    if (entry >= kPairStart) {
      AppendByte(out, static_cast<std::uint8_t>(entry >> 8));
      AppendByte(out, static_cast<std::uint8_t>(entry & 0xFF));
    } else {
      AppendByte(out, static_cast<std::uint8_t>(entry & 0xFF));
    }
    return true;
  }

 private:
  // Table values: a single byte b is 0x100 + b, a lead and trail byte are stored as
  // they stand (lead bytes start at 0x81, so pairs are 0x8100 or more).
  static constexpr std::uint16_t kUnknown = 0xFFFF;
  static constexpr std::uint16_t kNone = 0xFFFE;
  static constexpr std::uint16_t kPairStart = 0x8100;

  static void AppendByte(std::string& out, std::uint8_t b) {
    out += "\\'";
    out.push_back(kUpperHex[b >> 4]);
    out.push_back(kUpperHex[b & 0xF]);
  }

  static std::uint16_t Encode(char16_t unit) {
    if (unit < 0x80) return static_cast<std::uint16_t>(0x100 + unit);
    if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) return kNone;
    std::string utf8;
    AppendUtf8(utf8, unit);
    const Text bytes = Cp936FromUtf8(utf8);
    // A unit the code page lacks comes back as "?"; one that maps onto bytes reading
    // back as another character (a best-fit mapping) is not taken either.
    const std::u32string back = CodePointsFromCp936(bytes);
    if (back.size() != 1 || back[0] != unit) return kNone;
    const auto first = static_cast<std::uint8_t>(bytes[0]);
    if (bytes.size() == 1) return static_cast<std::uint16_t>(0x100 + first);
    if (bytes.size() == 2 && first >= 0x81) {
      return static_cast<std::uint16_t>((first << 8) | static_cast<std::uint8_t>(bytes[1]));
    }
    return kNone;
  }

  // By high byte of the unit, then low byte; pages come on first use.
  std::array<std::unique_ptr<std::array<std::uint16_t, 256>>, 256> pages_;
};

// Appends text as RTF: code-page-936 escapes, \uN with a "?" fallback for units the
// code page lacks (the document declares \uc1), \tab and \line for those characters.
void AppendRtfText(std::string& out, std::u16string_view text, Cp936Encoder& encoder) {
  for (const char16_t unit : text) {
    if (unit == 0) continue;  // a reader drops NULs; writing one would change nothing
    if (unit == u'\t') {
      out += "\\tab";
    } else if (unit == kLineSeparator) {
      out += "\\line";
    } else if (!encoder.AppendEscaped(out, unit)) {
      out += "\\u";
      AppendNumber(out, unit > 0x7FFF ? static_cast<long>(unit) - 0x10000 : unit);
      out += "\\'3F";
    }
  }
}

// What the reader's character state holds after \pard in our documents, in RTF terms.
struct RtfState {
  std::int32_t colour_entry = 0;
  std::int32_t font = 0;
  std::int16_t font_size = kRtfDefaultFontSize;
  bool bold = false;
  bool italic = false;
  bool underline = false;
};

void AppendSwitch(std::string& out, std::string_view word, long long value) {
  out += word;
  AppendNumber(out, value);
}

void AppendToggle(std::string& out, std::string_view on, std::string_view off, bool& state,
                  bool wanted) {
  if (state == wanted) return;
  out += wanted ? on : off;
  state = wanted;
}

// Colour-table entries by colour, in an open-addressing table: a colourful document
// has hundreds of thousands of distinct colours, and node-based maps spend their time
// in cache misses.
class ColourEntries {
 public:
  // The entry of a 24-bit colour, and whether it is new: new colours take the next
  // entry number, from 1 on.
  std::pair<std::int32_t, bool> Add(Colour c) {
    if ((count_ + 1) * 2 > slots_.size()) Grow();
    for (std::size_t i = Hash(c) & (slots_.size() - 1);; i = (i + 1) & (slots_.size() - 1)) {
      if (slots_[i].entry == 0) {
        slots_[i] = Slot{c, static_cast<std::int32_t>(++count_)};
        return {slots_[i].entry, true};
      }
      if (slots_[i].colour == c) return {slots_[i].entry, false};
    }
  }

 private:
  struct Slot {
    Colour colour = 0;
    std::int32_t entry = 0;  // 0: free (entry 0 is the automatic colour, never stored)
  };
  static std::size_t Hash(Colour c) { return (c * 0x9E3779B1u) >> 8; }
  void Grow() {
    std::vector<Slot> old = std::move(slots_);
    slots_.assign(old.empty() ? 64 : old.size() * 2, Slot{});
    for (const Slot& slot : old) {
      if (slot.entry == 0) continue;
      std::size_t i = Hash(slot.colour) & (slots_.size() - 1);
      while (slots_[i].entry != 0) i = (i + 1) & (slots_.size() - 1);
      slots_[i] = slot;
    }
  }

  std::vector<Slot> slots_;
  std::size_t count_ = 0;
};

// A face name for CSS: as it stands where it is a plain name, which every HTML
// reader takes, else as a quoted string without the characters that could end it.
std::string CssFaceName(std::string_view name) {
  const bool plain = !name.empty() && std::all_of(name.begin(), name.end(), [](char c) {
    const auto b = static_cast<unsigned char>(c);
    return b >= 0x80 || std::isalnum(b) || c == ' ' || c == '-' || c == '_';
  }) && !std::isdigit(static_cast<unsigned char>(name.front()));
  if (plain) return std::string(name);
  std::string out = "'";
  for (const char c : name) {
    if (c == '\'' || c == '"' || c == '\\' || c == '<' || c == '>' || c == '&' || c == ';' ||
        static_cast<unsigned char>(c) < 0x20) {
      continue;
    }
    out.push_back(c);
  }
  out += "'";
  return out;
}

// The face a run is shown in: its own, or the default one for font -1.
std::string_view FaceOf(const RichText& document, std::int32_t font) {
  if (font < 0 || static_cast<std::size_t>(font) >= document.fonts.size()) return kDefaultFaceName;
  return document.fonts[static_cast<std::size_t>(font)];
}

// "font-family:FACE;font-size:Npt;" for a run's face (宋体 with SimSun after it for
// the default face) and size in half-points.
void AppendFontStyle(std::string& out, const RichText& document, std::int32_t font,
                     std::int16_t half_points) {
  const std::string_view face = FaceOf(document, font);
  out += "font-family:";
  out += face == kDefaultFaceName ? CssFaceName(face) + ",SimSun" : CssFaceName(face);
  out += ";font-size:";
  AppendNumber(out, half_points / 2);
  if (half_points % 2 != 0) out += ".5";
  out += "pt;";
}

}  // namespace

void StartParagraph(RichText& document) { document.paragraphs.emplace_back(); }

void AppendText(RichText& document, std::u16string_view text, const CharFormat& format) {
  if (document.paragraphs.empty()) StartParagraph(document);
  Paragraph& paragraph = document.paragraphs.back();
  while (!text.empty()) {
    TextRun& run = RunToAppendTo(paragraph, format);
    const std::size_t room = kMaxRunLength - run.length;
    const std::size_t n = text.size() < room ? text.size() : room;
    paragraph.text.append(text.substr(0, n));
    run.length += static_cast<std::uint32_t>(n);
    text.remove_prefix(n);
  }
}

std::int32_t FontIndex(RichText& document, std::string_view name) {
  for (std::size_t i = 0; i < document.fonts.size(); ++i) {
    if (document.fonts[i] == name) return static_cast<std::int32_t>(i);
  }
  document.fonts.emplace_back(name);
  return static_cast<std::int32_t>(document.fonts.size() - 1);
}

std::string WriteRtf(const RichText& document) {
  Cp936Encoder encoder;
  std::string out(kRtfHead);

  // 宋体 is \f0 of the head; every other face gets an entry of its own. Runs without a
  // face are shown in the box's default face, which is 宋体 too.
  std::vector<std::int32_t> rtf_font(document.fonts.size(), 0);
  std::int32_t next_font = 1;
  for (std::size_t i = 0; i < document.fonts.size(); ++i) {
    if (document.fonts[i] == kDefaultFaceName) continue;
    rtf_font[i] = next_font++;
    AppendSwitch(out, "{\\f", rtf_font[i]);
    out += "\\fnil\\fcharset134 ";
    AppendRtfText(out, Utf16FromUtf8(document.fonts[i]), encoder);
    out += ";}";
  }
  out += kRtfTableEnd;
  out += kRtfColourTableStart;

  // One entry per distinct colour, in order of first use; entry 0 is the automatic one.
  ColourEntries colour_entries;
  std::vector<std::int32_t> run_entries;  // each run's entry, in document order
  for (const Paragraph& paragraph : document.paragraphs) {
    for (const TextRun& run : paragraph.runs) {
      if (!run.format.colour) {
        run_entries.push_back(0);
        continue;
      }
      const Colour c = *run.format.colour & 0xFFFFFF;
      const auto [entry, added] = colour_entries.Add(c);
      run_entries.push_back(entry);
      if (!added) continue;
      AppendSwitch(out, "\\red", RedOf(c));
      AppendSwitch(out, "\\green", GreenOf(c));
      AppendSwitch(out, "\\blue", BlueOf(c));
      out += ";";
    }
  }
  out += kRtfTableEnd;
  out += kRtfBodyStart;
  out += "\\lang2052";

  // An upper bound of the body, reserved at once: pages of it that go unused are never
  // touched, while growing a string of hundreds of megabytes step by step copies it.
  std::size_t body_bound = 1;
  for (const Paragraph& paragraph : document.paragraphs) {
    body_bound +=
        4 + paragraph.runs.size() * kMaxRunSwitchesLength + paragraph.text.size() * kMaxUnitLength;
  }
  out.reserve(out.size() + body_bound);

  RtfState state;
  auto next_entry = run_entries.begin();
  for (std::size_t p = 0; p < document.paragraphs.size(); ++p) {
    if (p > 0) out += "\\par";
    const Paragraph& paragraph = document.paragraphs[p];
    std::size_t offset = 0;
    for (const TextRun& run : paragraph.runs) {
      const CharFormat& f = run.format;
      const std::int32_t entry = *next_entry++;
      if (entry != state.colour_entry) AppendSwitch(out, "\\cf", state.colour_entry = entry);
      const std::int32_t font =
          f.font >= 0 && static_cast<std::size_t>(f.font) < rtf_font.size() ? rtf_font[f.font] : 0;
      if (font != state.font) AppendSwitch(out, "\\f", state.font = font);
      if (f.font_size != state.font_size) AppendSwitch(out, "\\fs", state.font_size = f.font_size);
      AppendToggle(out, "\\b", "\\b0", state.bold, f.bold);
      AppendToggle(out, "\\i", "\\i0", state.italic, f.italic);
      AppendToggle(out, "\\ul", "\\ulnone", state.underline, f.underline);
      const std::size_t length = std::min<std::size_t>(run.length, paragraph.text.size() - offset);
      AppendRtfText(out, std::u16string_view(paragraph.text).substr(offset, length), encoder);
      offset += length;
    }
  }
  out += "}";
  return out;
}

std::string WriteHtml(const RichText& document) {
  // A fragment for the clipboard: a block per paragraph that sets the face and size
  // of its first run once, and spans of colour alone, joined over runs of one colour;
  // a run in another face, size or style says so in its span.
  std::string out;
  StringSink sink(out);
  OutputBuffer buffer(sink);
  buffer.Append("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"></head><body>\n");
  HtmlRunWriter runs(buffer);
  std::string block;
  std::string extra;
  std::string html;
  for (const Paragraph& paragraph : document.paragraphs) {
    const CharFormat first = paragraph.runs.empty() ? CharFormat{} : paragraph.runs.front().format;
    block = "<div style=\"white-space:pre-wrap;";
    AppendFontStyle(block, document, first.font, first.font_size);
    block.back() = '"';
    block += ">";
    runs.BeginBlock(block);
    std::size_t offset = 0;
    for (const TextRun& run : paragraph.runs) {
      const CharFormat& f = run.format;
      extra.clear();
      if (FaceOf(document, f.font) != FaceOf(document, first.font) ||
          f.font_size != first.font_size) {
        AppendFontStyle(extra, document, f.font, f.font_size);
      }
      if (f.bold) extra += "font-weight:bold;";
      if (f.italic) extra += "font-style:italic;";
      if (f.underline) extra += "text-decoration:underline;";
      if (!extra.empty()) extra.pop_back();
      const std::size_t length = std::min<std::size_t>(run.length, paragraph.text.size() - offset);
      html.clear();
      AppendHtmlEscaped(html, Utf8FromUtf16(std::u16string_view(paragraph.text).substr(offset, length)));
      offset += length;
      runs.Add(f.colour, extra, html);
    }
    runs.EndBlock("</div>\n");
  }
  buffer.Append("</body></html>\n");
  buffer.Flush();
  return out;
}

std::u16string PlainText(const RichText& document) {
  std::u16string out;
  for (std::size_t p = 0; p < document.paragraphs.size(); ++p) {
    if (p > 0) out.push_back(u'\n');
    for (const char16_t unit : document.paragraphs[p].text) {
      out.push_back(unit == kLineSeparator ? u'\n' : unit);
    }
  }
  return out;
}

std::string Utf8FromUtf16(std::u16string_view text) {
  std::string out;
  out.reserve(text.size() * 3);
  for (std::size_t i = 0; i < text.size(); ++i) AppendUtf16Unit(out, text, i);
  return out;
}

}  // namespace kolvane
