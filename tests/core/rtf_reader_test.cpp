#include "richtext/rtf_reader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace kolvane {
namespace {

// "光" in code page 936 and in UTF-8.
constexpr std::string_view kGuangUtf8 = "\xE5\x85\x89";

// A literal with its NUL bytes.
template <std::size_t N>
std::string Bytes(const char (&literal)[N]) {
  return std::string(literal, N - 1);
}

// One line per paragraph, runs as [text|attributes]: colour as #rrggbb (none for the
// automatic colour), fsN when not 24, the face name, b, i, u.
std::string Describe(const RichText& document) {
  std::string out;
  for (std::size_t p = 0; p < document.paragraphs.size(); ++p) {
    if (p > 0) out += "\n";
    const Paragraph& paragraph = document.paragraphs[p];
    std::size_t offset = 0;
    for (const TextRun& run : paragraph.runs) {
      out += '[';
      out += Utf8FromUtf16(paragraph.text.substr(offset, run.length));
      offset += run.length;
      const CharFormat& f = run.format;
      std::string attributes;
      auto add = [&](const std::string& a) {
        attributes += attributes.empty() ? '|' : ',';
        attributes += a;
      };
      if (f.colour) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "#%02x%02x%02x", RedOf(*f.colour), GreenOf(*f.colour),
                      BlueOf(*f.colour));
        add(hex);
      }
      if (f.font_size != 24) add("fs" + std::to_string(f.font_size));
      if (f.font >= 0) add(document.fonts.at(static_cast<std::size_t>(f.font)));
      if (f.bold) add("b");
      if (f.italic) add("i");
      if (f.underline) add("u");
      out += attributes + "]";
    }
    if (offset != paragraph.text.size()) out += "<runs do not cover the text>";
  }
  return out;
}

// The document a conversion run makes for the worked example: a 2 x 2 picture with
// 0x00336699 at (1, 1) and everything else read as white.
const std::string kWorkedExample =
    "{\\rtf1\\ansi\\ansicpg936\\deff0\\deflang1033\\deflangfe2052{\\fonttbl{\\f0\\fmodern\\fprq6"
    "\\fcharset134 \\'cb\\'ce\\'cc\\'e5;}}\r\n"
    "{\\colortbl ;\\red153\\green102\\blue51;\\red255\\green255\\blue255;\\red255\\green255"
    "\\blue255;\\red255\\green255\\blue255;\\red255\\green255\\blue255;\\red255\\green255"
    "\\blue255;}\r\n"
    "{\\*\\generator Msftedit 5.41.15.1507;}\\viewkind4\\uc1\\pard\\cf1\\lang2052\\f0\\fs20"
    "\\'B9\\'E2\\cf2\\'B9\\'E2\\cf3\\par\\cf4\\'B9\\'E2\\cf5\\'B9\\'E2\\cf6\\par\\cf0\\par}";

TEST(RtfReader, WorkedExampleDocument) {
  const RichText document = ReadRtf(kWorkedExample);
  ASSERT_EQ(document.fonts, std::vector<std::string>{std::string(kDefaultFaceName)});
  ASSERT_EQ(document.paragraphs.size(), 4u);  // two rows, the tail's empty one, the last
  EXPECT_EQ(document.paragraphs[0].text, u"光光");
  EXPECT_EQ(document.paragraphs[1].text, u"光光");
  EXPECT_TRUE(document.paragraphs[2].text.empty());
  EXPECT_TRUE(document.paragraphs[3].text.empty());

  CharFormat first;
  first.colour = 0x00336699;
  first.font = 0;
  first.font_size = 20;
  CharFormat white = first;
  white.colour = 0x00FFFFFF;
  // The first cell takes \cf1 of the generator line; the two white cells of the second
  // row merge into one run.
  EXPECT_EQ(document.paragraphs[0].runs, (std::vector<TextRun>{{1, first}, {1, white}}));
  EXPECT_EQ(document.paragraphs[1].runs, (std::vector<TextRun>{{2, white}}));
  const std::string guang(kGuangUtf8);
  const std::string face(kDefaultFaceName);
  EXPECT_EQ(Describe(document), "[" + guang + "|#996633,fs20," + face + "][" + guang +
                                    "|#ffffff,fs20," + face + "]\n[" + guang + guang +
                                    "|#ffffff,fs20," + face + "]\n\n");
}

struct ReadCase {
  const char* name;
  std::string input;
  std::string expected;  // Describe() of the result
};

void PrintTo(const ReadCase& c, std::ostream* os) { *os << c.name; }

class RtfReaderCases : public testing::TestWithParam<ReadCase> {};

TEST_P(RtfReaderCases, ReadsAsExpected) {
  EXPECT_EQ(Describe(ReadRtf(GetParam().input)), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Text, RtfReaderCases,
    testing::Values(
        ReadCase{"unicode_with_fallback", "{\\rtf1 a\\u8364?b}",
                 "[a\xE2\x82\xAC"
                 "b]"},
        ReadCase{"fallback_of_two_escaped_bytes", "{\\rtf1\\uc2\\u20809\\'b9\\'e2x}",
                 "[\xE5\x85\x89x]"},
        ReadCase{"no_fallback", "{\\rtf1\\uc0\\u20809 x}", "[\xE5\x85\x89x]"},
        ReadCase{"negative_unicode", "{\\rtf1\\u-21504?}", "[\xEA\xB0\x80]"},  // U+AC00
        ReadCase{"fallback_ends_at_brace", "{\\rtf1{\\uc3\\u20809}ab}",
                 "[\xE5\x85\x89"
                 "ab]"},
        ReadCase{"fallback_counts_a_control_word", "{\\rtf1\\u20809\\cf1 ab}",
                 "[\xE5\x85\x89"
                 "ab]"},
        ReadCase{"huge_fallback_count", "{\\rtf1{\\uc99999999999\\u20809 abc}d}",
                 "[\xE5\x85\x89"
                 "d]"},
        ReadCase{"unicode_out_of_range", "{\\rtf1\\u99999999999?x}", "[\xEF\xBF\xBDx]"},
        ReadCase{"double_byte_across_escapes", "{\\rtf1\\ansicpg936 \\'B9\\'E2}", "[\xE5\x85\x89]"},
        ReadCase{"double_byte_across_source_line_break", "{\\rtf1\\ansicpg936 \\'b9\r\n\\'e2}",
                 "[\xE5\x85\x89]"},
        ReadCase{"literal_trail_byte", "{\\rtf1\\ansicpg936 \\'81@}", "[\xE4\xB8\x82]"},
        ReadCase{"lead_with_bad_trail", "{\\rtf1\\ansicpg936 \\'b9 a}", "[\xEF\xBF\xBD a]"},
        ReadCase{"lead_cut_by_group_end", "{\\rtf1\\ansicpg936 {\\'b9}x}", "[\xEF\xBF\xBDx]"},
        ReadCase{"lead_cut_by_control_word", "{\\rtf1\\ansicpg936 \\'b9\\b\\'e2}",
                 "[\xEF\xBF\xBD][\xEF\xBF\xBD|b]"},
        ReadCase{"ansi_by_default", "{\\rtf1 \\'e9\\'80}", "[\xC3\xA9\xE2\x82\xAC]"},
        ReadCase{"code_page_words",
                 "{\\rtf1\\mac \\'8e\\pc \\'82\\pca \\'d5\\ansicpg0 \\'d5\\ansi \\'d5}",
                 "[\xC3\xA9\xC3\xA9\xC4\xB1\xC4\xB1\xC3\x95]"},  // é é ı ı Õ
        ReadCase{"font_code_page",
                 "{\\rtf1{\\fonttbl{\\f0\\fcharset0\\cpg936 A;}{\\f1\\cpg0 B;}}"
                 "\\f0\\'b9\\'e2\\f1\\'e9}",
                 "[\xE5\x85\x89|A][\xC3\xA9|B]"},
        ReadCase{"font_charset_picks_code_page",
                 "{\\rtf1\\ansi{\\fonttbl{\\f0\\fcharset134 SimSun;}{\\f1\\fcharset0 Arial;}}"
                 "\\f0\\'b9\\'e2\\f1\\'e9}",
                 "[\xE5\x85\x89|SimSun][\xC3\xA9|Arial]"},
        ReadCase{"font_table_without_groups",
                 "{\\rtf1{\\fonttbl\\f0\\fswiss Arial;\\f1 Times New Roman;}\\f1 x\\f0 y\\f7 z}",
                 "[x|Times New Roman][y|Arial][z]"},
        ReadCase{"default_font", "{\\rtf1\\deff1{\\fonttbl{\\f1 Arial;}}x{\\f2 y}\\plain z}",
                 "[x|Arial][y][z|Arial]"},
        ReadCase{"font_name_in_unicode", "{\\rtf1{\\fonttbl{\\f0\\u23435?\\u20307?;}}\\f0 x}",
                 "[x|" + std::string(kDefaultFaceName) + "]"},
        ReadCase{"control_symbols", "{\\rtf1 a\\\\b\\{c\\}d\\~e\\_f\\-g\\|h}",
                 "[a\\b{c}d\xC2\xA0"
                 "e\xE2\x80\x91"
                 "f\xC2\xAD"
                 "gh]"},
        ReadCase{"special_characters", "{\\rtf1 a\\tab b\\line c\\emdash\\lquote\\bullet}",
                 "[a\tb\xE2\x80\xA8"
                 "c\xE2\x80\x94\xE2\x80\x98\xE2\x80\xA2]"},
        ReadCase{"paragraphs", "{\\rtf1 a\\par b\\par}", "[a]\n[b]\n"},
        ReadCase{"backslash_before_line_break", "{\\rtf1 a\\\r\nb}", "[a]\n[b]"},
        ReadCase{"source_line_breaks_are_not_text", "{\\rtf1 a\r\nb\rc\nd}", "[abcd]"},
        ReadCase{"text_after_the_document", "{\\rtf1 a}b{c}", "[a]"},
        ReadCase{"delimiting_space", "{\\rtf1\\b1 x\\b0  y}", "[x|b][ y]"},
        ReadCase{"plain_resets_character_format", "{\\rtf1\\b\\i\\ul\\fs40 x\\ulnone y\\plain z}",
                 "[x|fs40,b,i,u][y|fs40,b,i][z]"},
        ReadCase{"pard_keeps_character_format", "{\\rtf1\\b x\\pard y}", "[xy|b]"},
        ReadCase{"groups_restore_state",
                 "{\\rtf1{\\colortbl;\\red255\\green0\\blue0;}\\cf1 a{\\cf0\\b b{\\i c}d}e}",
                 "[a|#ff0000][b|b][c|b,i][d|b][e|#ff0000]"},
        ReadCase{"colour_table",
                 "{\\rtf1{\\colortbl\\red1\\green2\\blue3;;\\red300\\green-4;}"
                 "\\cf0 a\\cf1 b\\cf2 c\\cf3 d\\cf-1 e\\cf f}",
                 "[a|#010203][b][c|#ff0000][de][f|#010203]"},
        ReadCase{"font_sizes", "{\\rtf1\\fs99999999999999999999 a\\fs0 b\\fs-5 c\\fs7 d\\fs e}",
                 "[a|fs3276][bc][d|fs7][e]"},
        ReadCase{"unknown_destination_skipped", "{\\rtf1 a{\\*\\foo b{c}\\}d}e}", "[ae]"},
        ReadCase{"known_destinations_skipped",
                 "{\\rtf1 a{\\info{\\title T}}{\\stylesheet{\\s0 Normal;}}{\\header h}"
                 "{\\pict\\bin3 }{}}b{\\field{\\*\\fldinst HYPERLINK}{\\fldrslt c}}}",
                 "[abc]"},
        ReadCase{"destination_word_not_at_group_start_is_ignored", "{\\rtf1 a\\info b{x\\pict y}}",
                 "[abxy]"},
        ReadCase{"starred_format_word_is_skipped", "{\\rtf1 a{\\*\\b b}c}", "[ac]"},
        ReadCase{"binary_data_outside_destination", "{\\rtf1 a\\bin2 }{b}", "[ab]"},
        ReadCase{"nul_bytes", Bytes("{\\rtf1 a\0b\\'00c}"), "[abc]"},
        ReadCase{"plain_text", "hello\r\nworld\n\xB9\xE2\r", "[hello]\n[world]\n[\xE5\x85\x89]\n"},
        ReadCase{"empty_input", "", ""},
        ReadCase{"header_of_another_kind", "{\\urtf1 a}", "[{\\urtf1 a}]"}),
    [](const testing::TestParamInfo<ReadCase>& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Malformed, RtfReaderCases,
    testing::Values(
        ReadCase{"unclosed_groups", "{\\rtf1 a{b{\\b c", "[ab][c|b]"},
        ReadCase{"extra_closing_braces", "{\\rtf1 a}}}b", "[a]"},
        ReadCase{"truncated_escape_at_end", "{\\rtf1 a\\'B", "[a]"},
        ReadCase{"escape_with_one_digit", "{\\rtf1 a\\'Bz}", "[az]"},
        ReadCase{"escape_without_digits", "{\\rtf1 a\\'}", "[a]"},
        ReadCase{"lone_backslash_at_end", "{\\rtf1 a\\", "[a]"},
        ReadCase{"lead_byte_at_end", "{\\rtf1\\ansicpg936 a\\'b9", "[a\xEF\xBF\xBD]"},
        ReadCase{"huge_binary_length", "{\\rtf1 a\\bin999999999999 xyz}", "[a]"},
        ReadCase{"negative_binary_length", "{\\rtf1 a\\bin-5 x}", "[ax]"},
        ReadCase{"long_control_word", "{\\rtf1 a\\" + std::string(100000, 'x') + " b}", "[ab]"},
        ReadCase{"long_parameter", "{\\rtf1 a\\cf" + std::string(100000, '9') + " b}", "[ab]"},
        ReadCase{"minus_without_digits", "{\\rtf1 a\\cf-b}", "[a-b]"},
        ReadCase{"unknown_code_page", "{\\rtf1\\ansicpg77777 \\'e9}", "[\xC3\xA9]"},
        ReadCase{"font_table_never_closed", "{\\rtf1{\\fonttbl{\\f0 Arial", ""},
        ReadCase{"colour_table_never_closed", "{\\rtf1{\\colortbl;\\red1", ""},
        ReadCase{"skipped_destination_never_closed", "{\\rtf1 a{\\*\\x {{", "[a]"},
        ReadCase{"escaped_braces_in_skipped_destination", "{\\rtf1{\\*\\x \\}\\{}a}", "[a]"}),
    [](const testing::TestParamInfo<ReadCase>& info) { return std::string(info.param.name); });

TEST(RtfReader, NestingWithinTheLimitIsRead) {
  const std::string input =
      "{\\rtf1 a" + std::string(1000, '{') + "\\b x" + std::string(1000, '}') + "b}";
  EXPECT_EQ(Describe(ReadRtf(input)), "[a][x|b][b]");
}

TEST(RtfReader, GroupsBeyondTheDepthLimitAreSkipped) {
  // The group that crosses the limit goes with everything in it; what follows its
  // closing brace is read in the state of its parent.
  const std::string input =
      "{\\rtf1 a" + std::string(1023, '{') + "\\b x{{{y}}}z" + std::string(1023, '}') + "b}";
  EXPECT_EQ(Describe(ReadRtf(input)), "[a][xz|b][b]");

  const std::string deep =
      "{\\rtf1 a" + std::string(200000, '{') + "x" + std::string(200000, '}') + "b}";
  EXPECT_EQ(Describe(ReadRtf(deep)), "[ab]");
}

TEST(RtfReader, FontTableKeepsItsFirstFourThousandEntries) {
  std::string input = "{\\rtf1{\\fonttbl";
  for (int i = 0; i < 5000; ++i) input += "\\f" + std::to_string(i) + " F" + std::to_string(i) + ";";
  input += "\\f0 G;}\\f4095 a\\f4096 b\\f0 c}";
  // Entries beyond the limit are dropped; those within it can still be redefined.
  EXPECT_EQ(Describe(ReadRtf(input)), "[a|F4095][b][c|G]");
}

TEST(RtfReader, EveryByteValueAfterABackslash) {
  for (int c = 0; c < 256; ++c) {
    std::string input = "{\\rtf1 a\\";
    input.push_back(static_cast<char>(c));
    input += "}";
    const RichText document = ReadRtf(input);
    ASSERT_FALSE(document.paragraphs.empty()) << c;
    EXPECT_EQ(document.paragraphs[0].text.substr(0, 1), u"a") << c;
  }
}

}  // namespace
}  // namespace kolvane
