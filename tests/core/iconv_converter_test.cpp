#include "text/iconv_converter.h"

#include <gtest/gtest.h>

#include <string>

namespace kolvane {
namespace {

constexpr std::string_view kGuangUtf8 = "\xE5\x85\x89";  // "光"
constexpr std::string_view kGuangCp936 = "\xB9\xE2";

std::string Repeat(std::string_view piece, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += piece;
  return out;
}

TEST(IconvConverter, ConvertsTextLongerThanOneBufferAndAppends) {
  IconvConverter to_cp936("CP936", "UTF-8");
  ASSERT_TRUE(to_cp936.Ok());
  std::string out = "kept";
  EXPECT_TRUE(to_cp936.Convert(Repeat(kGuangUtf8, 300), out));
  EXPECT_EQ(out, "kept" + Repeat(kGuangCp936, 300));

  IconvConverter to_utf32("UTF-32LE", "CP936");
  std::string wide;
  EXPECT_TRUE(to_utf32.Convert(Repeat(kGuangCp936, 100), wide));
  EXPECT_EQ(wide, Repeat(std::string_view("\x49\x51\x00\x00", 4), 100));  // U+5149
}

TEST(IconvConverter, StopsAtTheFirstBadSequenceWithWhatCameBefore) {
  IconvConverter converter("UTF-16LE", "CP936");
  struct Case {
    const char* name;
    std::string_view in;
    std::string_view out;
  };
  for (const Case& c : {
           Case{"invalid byte", "ab\xFFz", std::string_view("a\0b\0", 4)},
           Case{"lead byte at the end", "a\xB9", std::string_view("a\0", 2)},
       }) {
    SCOPED_TRACE(c.name);
    std::string out;
    EXPECT_FALSE(converter.Convert(c.in, out));
    EXPECT_EQ(out, c.out);
  }
}

TEST(IconvConverter, EachConversionStartsInTheInitialShiftState) {
  // ISO-2022-JP shifts into JIS X 0208 for "光" and, at the end, back to ASCII.
  IconvConverter converter("ISO-2022-JP", "UTF-8");
  ASSERT_TRUE(converter.Ok());
  for (int i = 0; i < 2; ++i) {
    std::string held;
    EXPECT_TRUE(converter.Convert(kGuangUtf8, held, HeldBack::kDrop));
    EXPECT_EQ(held, "\x1B$B8w");
  }
  std::string whole;
  EXPECT_TRUE(converter.Convert(kGuangUtf8, whole));
  EXPECT_EQ(whole, "\x1B$B8w\x1B(B");
}

TEST(IconvConverter, HeldBackCharactersAreAppendedOrDropped) {
  // Code page 1258 holds a letter back until it knows whether a combining mark follows.
  IconvConverter converter("UTF-16LE", "CP1258");
  ASSERT_TRUE(converter.Ok());
  std::string appended;
  EXPECT_TRUE(converter.Convert("A", appended, HeldBack::kAppend));
  EXPECT_EQ(appended, std::string_view("A\0", 2));
  std::string dropped;
  EXPECT_TRUE(converter.Convert("A", dropped, HeldBack::kDrop));
  EXPECT_EQ(dropped, "");
  // Composed with the combining acute accent that follows it: U+00C1.
  std::string composed;
  EXPECT_TRUE(converter.Convert("A\xEC", composed, HeldBack::kDrop));
  EXPECT_EQ(composed, std::string_view("\xC1\x00", 2));
}

TEST(IconvConverter, UnknownCharsetIsNotOk) {
  EXPECT_FALSE(IconvConverter("UTF-8", "NO-SUCH-CHARSET").Ok());
  EXPECT_FALSE(IconvConverter("NO-SUCH-CHARSET", "UTF-8").Ok());
}

}  // namespace
}  // namespace kolvane
