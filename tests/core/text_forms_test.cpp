#include "convert/text_forms.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ios>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace kolvane {
namespace {

constexpr char kGuang[] = "\xB9\xE2";  // "光" in code page 936

struct TextCase {
  const char* name;
  std::string input;
  std::string expected;
};

TEST(HexEscape, WritesEveryByteAsBackslashQuoteAndTwoUpperCaseDigits) {
  const std::vector<TextCase> cases = {
      {"double-byte character", kGuang, "\\'B9\\'E2"},
      {"letter", "A", "\\'41"},
      {"space between letters", "a b", "\\'61\\'20\\'62"},
      {"tab gets a leading zero", "\t", "\\'09"},
      {"zero byte", std::string(1, '\0'), "\\'00"},
      {"RTF specials are escaped too", "\\{}", "\\'5C\\'7B\\'7D"},
      {"empty", "", ""},
  };
  for (const TextCase& c : cases) {
    EXPECT_EQ(HexEscape(c.input), c.expected) << c.name;
  }
}

TEST(HexEscape, AllByteValuesAcrossChunkBoundaries) {
  // 512 bytes: every value twice, longer than the escaper's stack chunk.
  std::string input;
  std::string expected;
  for (int round = 0; round < 2; ++round) {
    for (int b = 0; b < 256; ++b) {
      input.push_back(static_cast<char>(b));
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\'%02X", b);
      expected += escape;
    }
  }
  EXPECT_EQ(HexEscape(input), expected);
  Text appended = "keep";
  AppendHexEscape(appended, input);
  EXPECT_EQ(appended, "keep" + expected);
}

TEST(IntegerText, DecimalDigitsWithSignForNegatives) {
  const std::vector<std::pair<std::int32_t, std::string>> cases = {
      {0, "0"},       {7, "7"},       {9, "9"},          {10, "10"},
      {99, "99"},     {100, "100"},   {255, "255"},      {1000, "1000"},
      {-5, "-5"},     {-1, "-1"},     {-10, "-10"},      {1000000000, "1000000000"},
      {std::numeric_limits<std::int32_t>::max(), "2147483647"},
      {std::numeric_limits<std::int32_t>::min(), "-2147483648"},
  };
  for (const auto& [n, expected] : cases) {
    EXPECT_EQ(IntegerText(n), expected) << n;
  }
}

TEST(IntegerText, MatchesToStringAroundEveryPowerOfTen) {
  for (std::int64_t power = 1; power <= 1000000000; power *= 10) {
    for (std::int64_t delta = -2; delta <= 2; ++delta) {
      for (const std::int64_t value : {power + delta, -(power + delta)}) {
        const auto n = static_cast<std::int32_t>(value);
        EXPECT_EQ(IntegerText(n), std::to_string(n));
      }
    }
  }
  Text appended = "x";
  AppendIntegerText(appended, -42);
  EXPECT_EQ(appended, "x-42");
}

TEST(RealText, GeneralFormWithThirteenSignificantDigits) {
  const std::vector<std::pair<double, std::string>> cases = {
      {0.0, "0"},
      {1.0, "1"},
      {102.0, "102"},
      {255.0, "255"},
      {0.5, "0.5"},
      {1e13, "1e+13"},
      {9999999999999.0, "9999999999999"},
      {1.0 / 3.0, "0.3333333333333"},
      {0.0001, "0.0001"},
      {0.00001, "1e-05"},
      {-2.5, "-2.5"},
      {-0.0, "-0"},
      {std::numeric_limits<double>::infinity(), "inf"},
  };
  for (const auto& [x, expected] : cases) {
    EXPECT_EQ(RealText(x), expected) << x;
  }
}

TEST(RealText, MatchesPrintfInTheCLocaleForAnyDouble) {
  std::mt19937_64 random(936);
  std::vector<double> values = {std::numeric_limits<double>::denorm_min(),
                                std::numeric_limits<double>::min(),
                                std::numeric_limits<double>::max(),
                                -std::numeric_limits<double>::infinity(),
                                std::nan(""),
                                0.05,
                                123456789012345.0,
                                9.9999999999995e12};
  for (int i = 0; i < 20000; ++i) {
    const std::uint64_t bits = random();
    double x;
    std::memcpy(&x, &bits, sizeof x);
    values.push_back(x);
    values.push_back(static_cast<double>(static_cast<std::int64_t>(bits >> 20)) / 1024.0);
  }
  for (const double x : values) {
    char expected[64];
    std::snprintf(expected, sizeof expected, "%.13g", x);
    ASSERT_EQ(RealText(x), expected) << std::hexfloat << x;
  }
}

TEST(RealText, KeepsTheDecimalPointUnderACommaLocale) {
  const char* const comma_locales[] = {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8",
                                       "fr_FR.utf8", "ru_RU.UTF-8"};
  const std::string previous = std::setlocale(LC_NUMERIC, nullptr);
  const char* chosen = nullptr;
  for (const char* name : comma_locales) {
    if (std::setlocale(LC_NUMERIC, name) != nullptr) {
      chosen = name;
      break;
    }
  }
  if (chosen == nullptr) GTEST_SKIP() << "no locale with a decimal comma is installed";
  const Text half = RealText(0.5);
  std::setlocale(LC_NUMERIC, previous.c_str());
  EXPECT_EQ(half, "0.5") << chosen;
}

TEST(FindInText, FirstLineBreakAtACharacterStart) {
  struct Case {
    const char* name;
    std::string text;
    std::int64_t expected;
  };
  const std::vector<Case> cases = {
      {"after a double-byte character", std::string(kGuang) + "\r\n", 3},
      {"line break alone", "\r\n", 1},
      {"no line break", "A", -1},
      {"empty text", "", -1},
      {"after a letter", "A\r\nB\r\n", 2},
      {"lone CR", "A\r", -1},
      {"LF before CR", "\n\r", -1},
      // The lead byte takes the CR as its trail byte, so no CR LF starts a character.
      {"CR is a trail byte", "\xB9\r\n", -1},
      {"CR after a whole character", "\xB9\xE2\xB9\xE2\r\n", 5},
      {"scan ends at a lone lead byte", "A\xB9", -1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FindInText(c.text, kLineBreak), c.expected) << c.name;
  }
}

TEST(FindInText, SubtextsOtherThanLineBreaks) {
  // A match never starts on a trail byte: the E2 of "光" is not found on its own, while
  // the same byte as a lead byte of the next character is.
  EXPECT_EQ(FindInText("\xB9\xE2\xE2\xB9", "\xE2"), 3);
  EXPECT_EQ(FindInText("\xB9\xE2", "\xE2"), -1);
  EXPECT_EQ(FindInText("abc", "c"), 3);
  EXPECT_EQ(FindInText("abc", "abcd"), -1);
  EXPECT_EQ(FindInText("abc", ""), -1);
  // A lone lead byte at the end is a character start of its own.
  EXPECT_EQ(FindInText("a\xB9", "\xB9"), 2);
}

TEST(SplitText, CutsAtLineBreaksKeepingEmptyPiecesBeforeEachBreak) {
  struct Case {
    const char* name;
    std::string text;
    std::vector<Text> expected;
  };
  const std::vector<Case> cases = {
      {"two lines", "a\r\nb", {"a", "b"}},
      {"final break adds no piece", "a\r\n", {"a"}},
      {"leading break", "\r\na", {"", "a"}},
      {"blank line in between", "a\r\n\r\nb", {"a", "", "b"}},
      {"break alone", "\r\n", {""}},
      {"two breaks", "\r\n\r\n", {"", ""}},
      {"a then two breaks", "a\r\n\r\n", {"a", ""}},
      {"empty text", "", {}},
      {"no break", "a", {"a"}},
      {"lone CR stays in its piece", "a\rb", {"a\rb"}},
      {"CR hidden as a trail byte", "\xB9\r\nb", {"\xB9\r\nb"}},
      {"double-byte lines and a lone lead byte",
       "\xB9\xE2\r\n\xB9",
       {"\xB9\xE2", "\xB9"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SplitText(c.text, kLineBreak), c.expected) << c.name;
  }
}

TEST(SplitText, EmptyDelimiterLeavesTheTextWhole) {
  EXPECT_EQ(SplitText("abc", ""), std::vector<Text>{"abc"});
  EXPECT_TRUE(SplitText("", "").empty());
}

}  // namespace
}  // namespace kolvane
