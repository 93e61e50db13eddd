#include "richtext/html_writer.h"

#include <algorithm>
#include <cstdint>

namespace kolvane {
namespace {

constexpr char kLowerHex[] = "0123456789abcdef";

}  // namespace

void AppendHtmlEscaped(std::string& out, std::string_view utf8) {
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const char c = utf8[i];
    // U+2028, a line break inside a paragraph.
    if (utf8.substr(i, 3) == "\xE2\x80\xA8") {
      out += "<br>";
      i += 2;
      continue;
    }
    switch (c) {
      case '&': out += "&amp;"; continue;
      case '<': out += "&lt;"; continue;
      case '>': out += "&gt;"; continue;
      case '"': out += "&quot;"; continue;
      case '\'': out += "&#39;"; continue;
      case '\t': out += "&#9;"; continue;
      default: break;
    }
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) continue;  // control characters are not HTML text
    out.push_back(c);
  }
}

void AppendCssColour(std::string& out, Colour colour) {
  out += '#';
  for (const std::uint8_t component : {RedOf(colour), GreenOf(colour), BlueOf(colour)}) {
    out.push_back(kLowerHex[component >> 4]);
    out.push_back(kLowerHex[component & 0xF]);
  }
}

void HtmlRunWriter::BeginBlock(std::string_view open_tag) {
  out_.Append(open_tag);
  in_span_ = false;
  block_empty_ = true;
}

void HtmlRunWriter::Add(std::optional<Colour> colour, std::string_view extra_style,
                        std::string_view html) {
  if (colour) colour = *colour & 0x00FFFFFF;
  if (!in_span_ || colour != colour_ || extra_style != extra_style_) {
    CloseSpan();
    if (colour && extra_style.empty()) {
      // The common span of text art, written straight into the buffer.
      constexpr std::string_view kOpen = "<span style=\"color:#";
      char* p = out_.Reserve(kOpen.size() + 8);
      p = std::copy(kOpen.begin(), kOpen.end(), p);
      for (const std::uint8_t component : {RedOf(*colour), GreenOf(*colour), BlueOf(*colour)}) {
        *p++ = kLowerHex[component >> 4];
        *p++ = kLowerHex[component & 0xF];
      }
      *p++ = '"';
      *p++ = '>';
      out_.Commit(p);
    } else if (colour || !extra_style.empty()) {
      scratch_ = "<span style=\"";
      if (colour) {
        scratch_ += "color:";
        AppendCssColour(scratch_, *colour);
        if (!extra_style.empty()) scratch_ += ';';
      }
      scratch_ += extra_style;
      scratch_ += "\">";
      out_.Append(scratch_);
    }
    in_span_ = colour || !extra_style.empty();
    colour_ = colour;
    if (extra_style != extra_style_) extra_style_ = extra_style;
  }
  out_.Append(html);
  block_empty_ = block_empty_ && html.empty();
}

void HtmlRunWriter::CloseSpan() {
  if (in_span_) out_.Append("</span>");
  in_span_ = false;
}

void HtmlRunWriter::EndBlock(std::string_view close_tag) {
  CloseSpan();
  if (block_empty_) out_.Append("<br>");
  out_.Append(close_tag);
}

}  // namespace kolvane
