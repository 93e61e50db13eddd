#pragma once
// The fixed pieces of RTF that open every document the program writes, whether a
// conversion run's or the clipboard's, so that the two start byte for byte alike.
#include <string_view>

namespace kolvane {

// The document's opening up to the end of the font table's 宋体 entry (\f0), which the
// table's closing brace follows after any further entries: code page 936, font 0 the
// default one.
inline constexpr std::string_view kRtfHead =
    "{\\rtf1\\ansi\\ansicpg936\\deff0\\deflang1033\\deflangfe2052"
    "{\\fonttbl{\\f0\\fmodern\\fprq6\\fcharset134 \\'cb\\'ce\\'cc\\'e5;}";

// Closes the font or colour table and ends its line.
inline constexpr std::string_view kRtfTableEnd = "}\r\n";

// Opens the colour table with its entry 0, the lone ";" that stands for the automatic
// colour, so that the entries written after it start at 1.
inline constexpr std::string_view kRtfColourTableStart = "{\\colortbl ;";

// The generator group and the switches that open the body, before its character format.
inline constexpr std::string_view kRtfBodyStart =
    "{\\*\\generator Msftedit 5.41.15.1507;}\\viewkind4\\uc1\\pard";

}  // namespace kolvane
