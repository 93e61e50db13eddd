#pragma once
// Code page 936 (GBK), the code page of every text of the system, to and from UTF-8.
#include <string>
#include <string_view>

#include "base/types.h"

namespace kolvane {

// The code-page-936 bytes of a UTF-8 string; every character that the code page
// cannot hold (and every invalid UTF-8 sequence) becomes "?".
Text Cp936FromUtf8(std::string_view utf8);

// The UTF-8 form of a code-page-936 text; bytes that form no character become U+FFFD.
std::string Utf8FromCp936(std::string_view cp936);

// The Unicode code points of a code-page-936 text, one per character (a lead byte of
// 0x81..0xFE and its trail byte, or one single byte); invalid ones become U+FFFD.
std::u32string CodePointsFromCp936(std::string_view cp936);

// Appends the UTF-8 bytes of one code point.
void AppendUtf8(std::string& out, char32_t code_point);

}  // namespace kolvane
