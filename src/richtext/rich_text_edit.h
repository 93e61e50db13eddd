#pragma once
// Editing a rich-text document as a text editor edits its text: positions count the
// UTF-16 units of the paragraphs with one more for the mark between two paragraphs, so
// they match the positions of an editor that shows the document a paragraph a block.
#include <cstddef>

#include "richtext/rich_text.h"

namespace kolvane {

// The number of positions: every paragraph's length, and one for each mark between.
std::size_t TextLength(const RichText& document);

// The part from..to (clamped to the document): the paragraphs from the one holding
// from to the one holding to, cut at both ends; runs and fonts as they are.
RichText Slice(const RichText& document, std::size_t from, std::size_t to);

// Replaces the part from..from + length with insert, whose first paragraph joins the
// text before from and whose last paragraph joins the text after it. Fonts of insert
// are found or added in the document by name.
void Replace(RichText& document, std::size_t from, std::size_t length, const RichText& insert);

// The text with U+2029 between paragraphs, as an editor gives a stretch of its text.
std::u16string JoinedText(const RichText& document);

// The format of text typed at position: the character's before it in its paragraph,
// else the first of the paragraph, else the last before it, else the default.
CharFormat TypingFormat(const RichText& document, std::size_t position);

// Text in one format of document, as a document of its own that Replace can insert
// there: U+2029 separates its paragraphs.
RichText TextInFormat(const RichText& document, std::u16string_view text, const CharFormat& format);

// The document with runs in the default face (宋体) marked as font -1 and the other
// faces listed in order of first use, as a copy of it from the box describes them.
RichText WithFontsInOrderOfUse(const RichText& document);

}  // namespace kolvane
