#pragma once
// The text forms of the RTF document: hexadecimal escapes, number texts, and the
// finding and cutting of line breaks in code-page-936 texts.
//
// Where a text is scanned by character, a byte of 0x80 or more and the byte after it
// are one character and are stepped over together, so a match never starts on the
// second byte of a double-byte character; a lead byte that is the last byte of the
// text ends the scan.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "base/types.h"

namespace kolvane {

// CR LF, the line break that cuts a cell's text into paragraphs.
inline constexpr std::string_view kLineBreak = "\r\n";

// Writes "\'" and two upper-case hexadecimal digits for every byte of text to out,
// which must have room for 4 * text.size() bytes; returns the end of what it wrote.
char* WriteHexEscape(char* out, std::string_view text);
// Appends "\'" and two upper-case hexadecimal digits for every byte of text.
void AppendHexEscape(Text& out, std::string_view text);
// "\'" and two upper-case hexadecimal digits for every byte of text; "" for "".
Text HexEscape(std::string_view text);

// Most bytes WriteIntegerText writes: "-2147483648".
inline constexpr std::size_t kMaxIntegerTextSize = 11;
// Writes the decimal digits of n, after "-" when n is negative, to out, which must have
// room for kMaxIntegerTextSize bytes; returns the end of what it wrote.
char* WriteIntegerText(char* out, std::int32_t n);
// Appends the decimal digits of n, after "-" when n is negative.
void AppendIntegerText(Text& out, std::int32_t n);
// The decimal digits of n, after "-" when n is negative; "0" for zero.
Text IntegerText(std::int32_t n);

// Appends x as printf's "%.13g" writes it in the C locale, whatever the process locale.
void AppendRealText(Text& out, double x);
// x as printf's "%.13g" writes it in the C locale, whatever the process locale.
Text RealText(double x);

// Byte offset of the first match of subtext at a character start at or after from
// (itself a character start), or npos; an empty subtext never matches.
std::size_t FindAtCharacterStart(std::string_view text, std::string_view subtext,
                                 std::size_t from = 0);

// 1-based byte position of the first match of subtext at a character start, or -1;
// an empty subtext never matches.
std::int64_t FindInText(std::string_view text, std::string_view subtext);

// Calls on_piece(std::string_view) for each piece SplitText gives, in order, without
// copying them.
template <typename OnPiece>
void ForEachPiece(std::string_view text, std::string_view delimiter, OnPiece&& on_piece) {
  std::size_t piece_start = 0;
  for (std::size_t match = FindAtCharacterStart(text, delimiter);
       match != std::string_view::npos;
       match = FindAtCharacterStart(text, delimiter, piece_start)) {
    on_piece(text.substr(piece_start, match - piece_start));
    piece_start = match + delimiter.size();
  }
  if (piece_start < text.size()) on_piece(text.substr(piece_start));
}

// The pieces of text between matches of delimiter at character starts: a piece before
// a match is kept even when empty, the rest after the last match only when it is not;
// "" gives no pieces, and an empty delimiter never matches.
std::vector<Text> SplitText(std::string_view text, std::string_view delimiter);

}  // namespace kolvane
