#pragma once
// The RTF reader behind the rich edit box.
#include <string_view>

#include "richtext/rich_text.h"

namespace kolvane {

// Reads an RTF document into the model, in one pass and without recursion: groups,
// control words and symbols, font and colour tables, \'hh bytes in the document's or
// the font's code page, \uN with its fallback, \cf, \fs, \f, \b, \i, \ul, \par; other
// destinations are skipped. Never fails: malformed input is read as far as it goes,
// and input that does not start with "{\rtf" is taken as plain code-page-936 text
// (as rich edit controls do). The result has at least one paragraph.
RichText ReadRtf(std::string_view bytes);

}  // namespace kolvane
