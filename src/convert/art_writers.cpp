#include "convert/art_writers.h"

#include <cstring>
#include <optional>

#include "richtext/html_writer.h"

namespace kolvane {
namespace {

// The page around the rows: the program's document face and size (宋体 at 10 points),
// with common fallbacks, set once for the whole art on the block that holds the rows.
// The rows are blocks without margins of their own (word processors import <div>s as
// paragraphs without the spacing they give <p>), and styles are inline, which word
// processors' HTML import honours where it ignores style sheets.
constexpr std::string_view kPageStart =
    "<!DOCTYPE html>\n"
    "<html><head><meta charset=\"utf-8\"><title>Kolvane text art</title></head>\n"
    "<body style=\"background:#ffffff\">\n"
    "<div style=\"font-family:\xE5\xAE\x8B\xE4\xBD\x93,SimSun,AR PL UMing CN,monospace;"
    "font-size:10pt;line-height:1;white-space:pre\">\n";
constexpr std::string_view kPageEnd = "</div>\n</body></html>\n";

// Calls on_row(first, count) for the picture cells of each row.
template <typename OnRow>
void ForEachRow(const CellDocument& cells, OnRow on_row) {
  const std::size_t per_row = static_cast<std::size_t>(cells.CellsPerRow());
  for (std::size_t first = 0; first + per_row <= cells.colours.size(); first += per_row) {
    on_row(first, static_cast<std::size_t>(cells.columns));
  }
}

char* PutDecimal(char* out, unsigned value) {
  if (value >= 100) *out++ = static_cast<char>('0' + value / 100);
  if (value >= 10) *out++ = static_cast<char>('0' + value / 10 % 10);
  *out++ = static_cast<char>('0' + value % 10);
  return out;
}

}  // namespace

std::string OneLineText(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    if (utf8[i] == '\r') {
      if (i + 1 < utf8.size() && utf8[i + 1] == '\n') ++i;
      out.push_back(' ');
    } else if (utf8[i] == '\n') {
      out.push_back(' ');
    } else {
      out.push_back(utf8[i]);
    }
  }
  return out;
}

bool WriteHtmlArt(const CellDocument& cells, std::string_view utf8_text, ByteSink& sink) {
  OutputBuffer out(sink, std::size_t{1} << 18);
  std::string html;
  AppendHtmlEscaped(html, OneLineText(utf8_text));
  out.Append(kPageStart);
  HtmlRunWriter runs(out);
  ForEachRow(cells, [&](std::size_t first, std::size_t count) {
    runs.BeginBlock("<div>");
    for (std::size_t n = first; n < first + count; ++n) runs.Add(cells.colours[n], {}, html);
    runs.EndBlock("</div>\n");
  });
  out.Append(kPageEnd);
  return out.Flush();
}

bool WriteAnsiArt(const CellDocument& cells, std::string_view utf8_text, ByteSink& sink) {
  OutputBuffer out(sink, std::size_t{1} << 18);
  const std::string text = OneLineText(utf8_text);
  constexpr std::size_t kLongestEscape = sizeof "\x1B[38;2;255;255;255m" - 1;
  ForEachRow(cells, [&](std::size_t first, std::size_t count) {
    std::optional<Colour> current;
    for (std::size_t n = first; n < first + count; ++n) {
      const Colour colour = cells.colours[n] & 0x00FFFFFF;
      if (colour != current) {
        char* p = out.Reserve(kLongestEscape);
        std::memcpy(p, "\x1B[38;2;", 7);
        p = PutDecimal(p + 7, RedOf(colour));
        *p++ = ';';
        p = PutDecimal(p, GreenOf(colour));
        *p++ = ';';
        p = PutDecimal(p, BlueOf(colour));
        *p++ = 'm';
        out.Commit(p);
        current = colour;
      }
      out.Append(text);
    }
    out.Append("\x1B[0m\n");
  });
  return out.Flush();
}

bool WritePlainArt(const CellDocument& cells, std::string_view utf8_text, ByteSink& sink) {
  OutputBuffer out(sink, std::size_t{1} << 18);
  const std::string text = OneLineText(utf8_text);
  ForEachRow(cells, [&](std::size_t, std::size_t count) {
    for (std::size_t n = 0; n < count; ++n) out.Append(text);
    out.Append("\n");
  });
  return out.Flush();
}

}  // namespace kolvane
