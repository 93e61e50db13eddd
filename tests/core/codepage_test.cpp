#include "text/codepage.h"

#include <gtest/gtest.h>

#include <string>

namespace kolvane {
namespace {

TEST(Codepage, Cp936FromUtf8) {
  struct Case {
    const char* name;
    std::string_view utf8;
    std::string_view cp936;
  };
  for (const Case& c : {
           Case{"ascii", "a;{\\}", "a;{\\}"},
           Case{"double byte", "\xE5\x85\x89", "\xB9\xE2"},        // 光
           Case{"single byte euro", "\xE2\x82\xAC", "\x80"},       // €
           Case{"not in the code page", "a\xEA\xB0\x80z", "a?z"},  // 가
           Case{"stray continuation byte", "\x85z", "?z"},
           Case{"sequence cut by the end", "a\xE5\x85", "a?"},
       }) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Cp936FromUtf8(c.utf8), c.cp936);
  }
}

TEST(Codepage, CodePointsFromCp936) {
  struct Case {
    const char* name;
    std::string_view cp936;
    std::u32string code_points;
  };
  for (const Case& c : {
           Case{"ascii", "a\r\n", U"a\r\n"},
           Case{"double byte", "\xB9\xE2z", U"光z"},
           Case{"single byte euro", "\x80", U"€"},
           Case{"lead byte at the end", "a\xB9", U"a\uFFFD"},
           Case{"lead byte with a byte that is no trail byte: one character", "\xB9 z", U"\uFFFDz"},
           Case{"byte that starts nothing", "\xFFz", U"\uFFFDz"},
       }) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(CodePointsFromCp936(c.cp936), c.code_points);
  }
  EXPECT_EQ(Utf8FromCp936("\xB9\xE2\xB9"), "\xE5\x85\x89\xEF\xBF\xBD");
}

}  // namespace
}  // namespace kolvane
