#include "picture/icon_decoder.h"

#include <string>

#include <gtest/gtest.h>

#include "picture_fixtures.h"
#include "resources/resources.h"

namespace kolvane {
namespace {

using fixtures::Bytes;
using fixtures::IconFile;
using fixtures::IconImage;
using fixtures::PlainIconImage;

const Icon& IconOf(const DecodedPicture& picture) { return std::get<Icon>(picture.pixels); }

TEST(DecodeIcon, ChoosesTheFirst32WideEntryWithSixteenColoursOrMore) {
  const Bytes file = IconFile({{16, 0, PlainIconImage(16, 16, 0x111111)},
                               {32, 16, PlainIconImage(32, 32, 0x222222)},
                               {32, 255, PlainIconImage(32, 32, 0x333333)},
                               {48, 0, PlainIconImage(48, 48, 0x444444)}});
  const auto picture = DecodeIcon(file);
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->kind, PictureFormat::kIcon);
  EXPECT_EQ(picture->width, 32);
  EXPECT_EQ(picture->height, 32);
  ASSERT_TRUE(std::holds_alternative<Icon>(picture->pixels));
  EXPECT_EQ(IconOf(*picture).colour[0], MakeColour(0x22, 0x22, 0x22));
}

TEST(DecodeIcon, FallsBackToTheLastEntry) {
  // 256 colours or more are counted as 0, and 8 colours are too few.
  const Bytes file = IconFile({{16, 0, PlainIconImage(16, 16, 0x111111)},
                               {32, 0, PlainIconImage(32, 32, 0x222222)},
                               {32, 8, PlainIconImage(32, 32, 0x333333)},
                               {48, 0, PlainIconImage(48, 48, 0x444444)}});
  const auto picture = DecodeIcon(file);
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->width, 48);
  EXPECT_EQ(IconOf(*picture).colour[0], MakeColour(0x44, 0x44, 0x44));
}

TEST(DecodeIcon, SizeComesFromTheImageHeaderWithHalfItsHeight) {
  // The directory's bytes say 32 x 32; the image header says 20 wide, 2 * 7 + 1 high.
  Bytes image = PlainIconImage(20, 7, 0x010203);
  image[8] = 15;  // biHeight, low byte: odd, so the half is truncated
  const auto picture = DecodeIcon(IconFile({{32, 16, image}}));
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->width, 20);
  EXPECT_EQ(picture->height, 7);
  EXPECT_EQ(IconOf(*picture).width, 20);
  EXPECT_EQ(IconOf(*picture).height, 7);
}

TEST(DecodeIcon, ProgramIconIsFortyEightSquareWithAlpha) {
  const auto picture = DecodeIcon(resources::program_icon());
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->width, 48);
  EXPECT_EQ(picture->height, 48);
  EXPECT_EQ(IconOf(*picture).alpha.size(), 48u * 48u);
}

TEST(DecodeIcon, CursorFilesGiveKindFour) {
  const auto picture = DecodeIcon(IconFile({{32, 16, PlainIconImage(32, 32, 0)}}, 2));
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->kind, PictureFormat::kCursor);
}

TEST(CreateIconFromImage, ReadsEveryBitDepthWithItsMask) {
  // 2 x 2 images, stored bottom row first; the mask's set bits keep the target.
  const Bytes two_colours = fixtures::Table({0x000000, 0xFF8000});
  const std::vector<Bytes> mask = {{0b01000000}, {0b10000000}};  // bottom row: pixel 1
  struct Case {
    std::string name;
    std::uint16_t bits;
    std::vector<Bytes> xor_rows;
    Bytes table;
  };
  const std::vector<Case> cases = {
      {"1 bit", 1, {{0b10000000}, {0b01000000}}, two_colours},
      {"4 bits", 4, {{0x10}, {0x01}}, two_colours},
      {"8 bits", 8, {{1, 0}, {0, 1}}, two_colours},
      {"24 bits", 24, {{0x00, 0x80, 0xFF, 0, 0, 0}, {0, 0, 0, 0x00, 0x80, 0xFF}}, {}},
      {"32 bits, alpha all 0", 32,
       {{0x00, 0x80, 0xFF, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0x00, 0x80, 0xFF, 0}}, {}},
  };
  const Colour orange = MakeColour(0xFF, 0x80, 0x00);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto icon = CreateIconFromImage(IconImage(2, 2, c.bits, c.xor_rows, mask, c.table));
    ASSERT_TRUE(icon);
    EXPECT_EQ(icon->colour, (std::vector<Colour>{0, orange, orange, 0}));
    EXPECT_EQ(icon->and_mask, (std::vector<std::uint8_t>{1, 0, 0, 1}));
    EXPECT_TRUE(icon->alpha.empty());
  }
}

TEST(CreateIconFromImage, KeepsAlphaOfThirtyTwoBitImages) {
  const auto icon = CreateIconFromImage(
      IconImage(2, 1, 32, {{1, 2, 3, 0x80, 4, 5, 6, 0}}, {{0}}));
  ASSERT_TRUE(icon);
  EXPECT_EQ(icon->colour, (std::vector<Colour>{MakeColour(3, 2, 1), MakeColour(6, 5, 4)}));
  EXPECT_EQ(icon->alpha, (std::vector<std::uint8_t>{0x80, 0}));
}

TEST(DecodeIcon, RejectsWhatMakesNoIcon) {
  const Bytes good_image = PlainIconImage(2, 2, 0x123456);
  auto file_with_image = [](Bytes image) { return IconFile({{32, 16, std::move(image)}}); };
  auto patched = [&](std::size_t at, std::uint8_t value) {
    Bytes image = good_image;
    image[at] = value;
    return file_with_image(image);
  };
  Bytes png_image = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  png_image.resize(80, 0);
  Bytes no_mask = good_image;
  no_mask.resize(no_mask.size() - 1);
  Bytes directory_only = file_with_image(good_image);
  directory_only.resize(22);
  Bytes entry_cut = directory_only;
  entry_cut.resize(21);
  Bytes offset_beyond = file_with_image(good_image);
  offset_beyond[18] = 0xFF;  // image offset, low byte
  Bytes reserved = file_with_image(good_image);
  reserved[0] = 1;
  Bytes type_three = file_with_image(good_image);
  type_three[2] = 3;
  Bytes no_entries = file_with_image(good_image);
  no_entries[4] = 0;
  struct Case {
    std::string name;
    Bytes bytes;
    long long max_pixels = kMaxPixels;
  };
  const std::vector<Case> cases = {
      {"PNG image", file_with_image(png_image)},
      {"AND mask cut short", file_with_image(no_mask)},
      {"image cut off after the directory", directory_only},
      {"directory entry cut short", entry_cut},
      {"image offset beyond the file", offset_beyond},
      {"reserved word not 0", reserved},
      {"type 3", type_three},
      {"no entries", no_entries},
      {"header size below 40", patched(0, 12)},
      {"header size beyond the image", patched(1, 1)},
      {"zero width", patched(4, 0)},
      {"negative width", patched(7, 0x80)},
      {"height 1, half of it 0", patched(8, 1)},
      {"negative height", patched(11, 0xFF)},
      {"16 bits", patched(14, 16)},
      {"compressed", patched(16, 1)},
      {"huge width, little data", patched(6, 0x70)},
      {"above the pixel bound", file_with_image(good_image), 3},
  };
  for (const Case& c : cases) {
    EXPECT_FALSE(DecodeIcon(c.bytes, {.max_pixels = c.max_pixels})) << c.name;
  }
  EXPECT_TRUE(DecodeIcon(file_with_image(good_image), {.max_pixels = 4}));
}

TEST(DecodeIcon, EveryShorterPrefixGivesNothing) {
  const Bytes file = IconFile({{16, 0, PlainIconImage(4, 4, 0x0)},
                               {32, 16, PlainIconImage(3, 2, 0xFFFFFF)}});
  ASSERT_TRUE(DecodeIcon(file));
  for (std::size_t n = 0; n < file.size(); ++n) {
    EXPECT_FALSE(DecodeIcon(std::span(file).first(n))) << n;
  }
}

}  // namespace
}  // namespace kolvane
