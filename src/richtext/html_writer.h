#pragma once
// HTML of coloured text, for pages and for the clipboard: escaping, CSS colours, and
// blocks of runs in which neighbouring runs of the same look share one span, so that
// word processors import as few elements as the text allows.
#include <optional>
#include <string>
#include <string_view>

#include "base/byte_sink.h"
#include "base/types.h"

namespace kolvane {

// Appends UTF-8 text as HTML text: the markup characters escaped, a tab as "&#9;", a
// line separator (U+2028) as <br>, other control characters dropped; invalid UTF-8
// passes as it stands (the writer of the text is trusted to give UTF-8).
void AppendHtmlEscaped(std::string& out, std::string_view utf8);

// Appends "#rrggbb" for the low 24 bits of colour.
void AppendCssColour(std::string& out, Colour colour);

// Writes blocks of runs: each run is HTML text (already escaped) in a colour (none:
// the inherited one) and an optional further style; a run that looks like the one
// before it joins its span.
class HtmlRunWriter {
 public:
  explicit HtmlRunWriter(OutputBuffer& out) : out_(out) {}

  // Opens a block with open_tag ("<p>", "<p style=...>").
  void BeginBlock(std::string_view open_tag);
  void Add(std::optional<Colour> colour, std::string_view extra_style, std::string_view html);
  // Closes the open span and the block with close_tag; an empty block gets a <br>
  // so that it still takes a line.
  void EndBlock(std::string_view close_tag);

 private:
  void CloseSpan();

  OutputBuffer& out_;
  bool in_span_ = false;
  bool block_empty_ = true;
  std::optional<Colour> colour_;
  std::string extra_style_;
  std::string scratch_;
};

}  // namespace kolvane
