#include "picture/bmp_decoder.h"

#include <climits>
#include <string>

#include <gtest/gtest.h>

#include "picture_fixtures.h"

namespace kolvane {
namespace {

using fixtures::BmpFields;
using fixtures::Bytes;

using fixtures::PixelRows;
using fixtures::RgbRows;

// A 3 x 2 picture: top row red, green, blue; bottom row white, black, grey.
const std::vector<std::vector<std::uint32_t>> kThreeByTwo = {
    {0xFF0000, 0x00FF00, 0x0000FF}, {0xFFFFFF, 0x000000, 0x808080}};

BmpFields ThreeByTwo(std::uint16_t bits) {
  BmpFields fields;
  fields.width = 3;
  fields.height = 2;
  fields.bits = bits;
  if (bits == 24) {
    fields.rows = {{0xFF, 0xFF, 0xFF, 0, 0, 0, 0x80, 0x80, 0x80},   // bottom row first
                 {0, 0, 0xFF, 0, 0xFF, 0, 0xFF, 0, 0}};
  } else {
    // The fourth byte of each pixel varies and must be ignored.
    fields.rows = {{0xFF, 0xFF, 0xFF, 0x00, 0, 0, 0, 0x7F, 0x80, 0x80, 0x80, 0xFF},
                 {0, 0, 0xFF, 0x12, 0, 0xFF, 0, 0xFE, 0xFF, 0, 0, 0x01}};
  }
  return fields;
}

TEST(DecodeBmp, TwentyFourAndThirtyTwoBitsGiveTheSamePixels) {
  for (std::uint16_t bits : {24, 32}) {
    SCOPED_TRACE(bits);
    const auto picture = DecodeBmp(fixtures::Bmp(ThreeByTwo(bits)));
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->kind, PictureFormat::kBitmap);
    EXPECT_EQ(picture->width, 3);
    EXPECT_EQ(picture->height, 2);
    EXPECT_EQ(PixelRows(*picture), RgbRows(kThreeByTwo));
  }
}

TEST(DecodeBmp, TopDownRowsAreShownUpright) {
  BmpFields fields = ThreeByTwo(24);
  fields.height = -2;
  std::swap(fields.rows[0], fields.rows[1]);
  const auto picture = DecodeBmp(fixtures::Bmp(fields));
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->height, 2);
  EXPECT_EQ(PixelRows(*picture), RgbRows(kThreeByTwo));
}

TEST(DecodeBmp, EightBitTableHasColoursUsedEntriesOrAll256) {
  std::vector<std::uint32_t> colours(256);
  for (std::uint32_t i = 0; i < 256; ++i) colours[i] = i * 0x010203;
  for (std::uint32_t used : {0u, 16u}) {
    SCOPED_TRACE(used);
    BmpFields fields;
    fields.width = 2;
    fields.bits = 8;
    fields.rows = {{15, static_cast<std::uint8_t>(used == 0 ? 200 : 3)}};
    fields.colours_used = used;
    fields.table = fixtures::Table(
        std::vector<std::uint32_t>(colours.begin(), colours.begin() + (used ? used : 256)));
    // The pixels start right after the table: reading a table of the wrong length
    // would put them inside it, which fails.
    const auto picture = DecodeBmp(fixtures::Bmp(fields));
    ASSERT_TRUE(picture);
    EXPECT_EQ(PixelRows(*picture), RgbRows({{colours[15], colours[fields.rows[0][1]]}}));
  }
}

TEST(DecodeBmp, PalettedPixelsUnpackFromTheHighBitsAndUnknownIndicesAreBlack) {
  struct Case {
    std::string name;
    std::uint16_t bits;
    std::int32_t width;
    Bytes row;
    std::vector<std::uint32_t> table;
    std::vector<std::uint32_t> expected;
  };
  const std::vector<Case> cases = {
      {"1 bit across a byte boundary", 1, 10, {0b10110000, 0b01000000}, {0x0000FF, 0xFFFF00},
       {0xFFFF00, 0x0000FF, 0xFFFF00, 0xFFFF00, 0x0000FF, 0x0000FF, 0x0000FF, 0x0000FF,
        0x0000FF, 0xFFFF00}},
      {"4 bits, odd width", 4, 3, {0x10, 0x20}, {0x111111, 0x222222, 0x333333},
       {0x222222, 0x111111, 0x333333}},
      {"4 bits, index beyond the two colours given", 4, 2, {0x15}, {0x111111, 0x222222},
       {0x222222, 0x000000}},
      {"8 bits, index beyond the table", 8, 2, {1, 9}, {0xABCDEF, 0x123456},
       {0x123456, 0x000000}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    BmpFields fields;
    fields.width = c.width;
    fields.bits = c.bits;
    fields.rows = {c.row};
    fields.table = fixtures::Table(c.table);
    fields.colours_used = static_cast<std::uint32_t>(c.table.size());
    const auto picture = DecodeBmp(fixtures::Bmp(fields));
    ASSERT_TRUE(picture);
    EXPECT_EQ(PixelRows(*picture), RgbRows({c.expected}));
  }
}

TEST(DecodeBmp, PixelDataOffsetSkipsForwardButNotBack) {
  BmpFields fields = ThreeByTwo(24);
  fields.pixel_offset = 70;  // 16 bytes of gap after the headers
  const auto skipped = DecodeBmp(fixtures::Bmp(fields));
  ASSERT_TRUE(skipped);
  EXPECT_EQ(PixelRows(*skipped), RgbRows(kThreeByTwo));
}

TEST(DecodeBmp, LastRowNeedsNoPadding) {
  Bytes bytes = fixtures::Bmp(ThreeByTwo(24));  // 9 bytes of pixels per row, 12 stored
  bytes.resize(bytes.size() - 3);
  const auto picture = DecodeBmp(bytes);
  ASSERT_TRUE(picture);
  EXPECT_EQ(PixelRows(*picture), RgbRows(kThreeByTwo));
}

TEST(DecodeBmp, RejectsWhatItCannotDecode) {
  auto with = [](auto change) {
    BmpFields fields = ThreeByTwo(24);
    change(fields);
    return fixtures::Bmp(fields);
  };
  BmpFields eight_bit;
  eight_bit.bits = 8;
  eight_bit.rows = {{0}};
  eight_bit.table = fixtures::Table({0, 0});
  eight_bit.colours_used = 2;
  const std::vector<fixtures::Refusal> cases = {
      {"run-length compression", with([](BmpFields& s) { s.compression = 1; }), PictureError::kUnsupported},
      {"bit fields", with([](BmpFields& s) { s.compression = 3; }), PictureError::kUnsupported},
      {"16 bits", with([](BmpFields& s) { s.bits = 16; s.width = 4; }), PictureError::kUnsupported},
      {"2 bits", with([](BmpFields& s) { s.bits = 2; }), PictureError::kUnsupported},
      {"offset inside the headers", with([](BmpFields& s) { s.pixel_offset = 50; }), PictureError::kMalformed},
      {"offset inside the colour table", [&] {
         BmpFields s = eight_bit;
         s.pixel_offset = 58;
         return fixtures::Bmp(s);
       }(), PictureError::kMalformed},
      {"offset beyond the data", [&] {
         Bytes b = fixtures::Bmp(ThreeByTwo(24));
         b[11] = 0x10;  // bfOffBits 4096 + 54
         return b;
       }(), PictureError::kTruncated},
      {"colour table longer than the file", [&] {
         BmpFields s = eight_bit;
         s.colours_used = 0xFFFFFFFF;
         return fixtures::Bmp(s);
       }(), PictureError::kTruncated},
      {"zero width", with([](BmpFields& s) { s.width = 0; }), PictureError::kMalformed},
      {"zero height", with([](BmpFields& s) { s.height = 0; }), PictureError::kMalformed},
      {"height claims more rows than stored", with([](BmpFields& s) { s.height = 3; }), PictureError::kTruncated},
      {"width claims more pixels than stored", with([](BmpFields& s) { s.width = 5; }), PictureError::kTruncated},
      {"huge size, little data", with([](BmpFields& s) { s.width = 60000; s.height = 60000; }), PictureError::kTooLarge},
      {"most negative height", with([](BmpFields& s) { s.height = INT_MIN; }), PictureError::kTooLarge},
      {"most negative width", with([](BmpFields& s) { s.width = INT_MIN; }), PictureError::kTooLarge},
      {"above the pixel bound", fixtures::Bmp(ThreeByTwo(24)), PictureError::kTooLarge, 5},
  };
  fixtures::ExpectRefusals([](const Bytes& bytes, const DecodeOptions& options) {
    return DecodeBmp(bytes, options);
  }, cases);
  EXPECT_TRUE(DecodeBmp(fixtures::Bmp(ThreeByTwo(24)), {.max_pixels = 6}));
}

TEST(DecodeBmp, EveryShorterPrefixGivesNothing) {
  BmpFields fields;
  fields.width = 4;  // 12 bytes a row: no padding, so every byte counts
  fields.height = 2;
  fields.bits = 24;
  fields.rows = {Bytes(12, 0x40), Bytes(12, 0x80)};
  const Bytes bytes = fixtures::Bmp(fields);
  ASSERT_TRUE(DecodeBmp(bytes));
  for (std::size_t n = 0; n < bytes.size(); ++n) {
    EXPECT_FALSE(DecodeBmp(std::span(bytes).first(n))) << n;
  }
}

}  // namespace
}  // namespace kolvane
