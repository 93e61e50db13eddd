#include "picture/png/png_decoder.h"

#include <gtest/gtest.h>
#include <spng.h>

#include <string>
#include <vector>

#include "picture_fixtures.h"
#include "raster/png_writer.h"

namespace kolvane {
namespace {

using fixtures::Bytes;

// A PNG of the given header and raw (unfiltered) rows, through libspng's encoder.
Bytes EncodeFixture(spng_ihdr header, const Bytes& raw, const std::vector<Bytes>& palette = {},
                    const Bytes& transparency = {}) {
  spng_ctx* context = spng_ctx_new(SPNG_CTX_ENCODER);
  spng_set_option(context, SPNG_ENCODE_TO_BUFFER, 1);
  spng_set_ihdr(context, &header);
  if (!palette.empty()) {
    spng_plte plte{};
    plte.n_entries = static_cast<std::uint32_t>(palette.size());
    for (std::size_t i = 0; i < palette.size(); ++i) {
      plte.entries[i] = {palette[i][0], palette[i][1], palette[i][2], 255};
    }
    spng_set_plte(context, &plte);
  }
  if (!transparency.empty()) {
    spng_trns trns{};
    trns.n_type3_entries = static_cast<std::uint32_t>(transparency.size());
    for (std::size_t i = 0; i < transparency.size(); ++i) trns.type3_alpha[i] = transparency[i];
    spng_set_trns(context, &trns);
  }
  Bytes raw_copy = raw;
  const int error =
      spng_encode_image(context, raw_copy.data(), raw_copy.size(), SPNG_FMT_PNG, SPNG_ENCODE_FINALIZE);
  EXPECT_EQ(error, 0) << spng_strerror(error);
  std::size_t size = 0;
  int buffer_error = 0;
  auto* buffer = static_cast<std::uint8_t*>(spng_get_png_buffer(context, &size, &buffer_error));
  Bytes png(buffer, buffer + size);
  std::free(buffer);
  spng_ctx_free(context);
  return png;
}

spng_ihdr Header(std::uint32_t width, std::uint32_t height, std::uint8_t bit_depth,
                 std::uint8_t colour_type, std::uint8_t interlace = 0) {
  spng_ihdr header{};
  header.width = width;
  header.height = height;
  header.bit_depth = bit_depth;
  header.color_type = colour_type;
  header.interlace_method = interlace;
  return header;
}

std::vector<Colour> Pixels(const DecodedPicture& picture) {
  const Bitmap& bitmap = std::get<Bitmap>(picture.pixels);
  return std::vector<Colour>(bitmap.Row(0), bitmap.Row(0) + bitmap.Width() * bitmap.Height());
}

TEST(DecodePng, EveryColourTypeGivesItsColours) {
  struct Case {
    std::string name;
    Bytes png;
    std::vector<Colour> expected;
  };
  const Colour red = MakeColour(255, 0, 0), teal = MakeColour(0, 128, 128);
  const std::vector<Case> cases = {
      {"RGB 8", EncodeFixture(Header(2, 1, 8, SPNG_COLOR_TYPE_TRUECOLOR), {255, 0, 0, 0, 128, 128}),
       {red, teal}},
      {"RGB 16", EncodeFixture(Header(1, 1, 16, SPNG_COLOR_TYPE_TRUECOLOR), {0, 128, 0x12, 0x34, 255, 255}),
       {MakeColour(128, 0x34, 255)}},  // 16-bit samples in the host's byte order
      {"grey 8", EncodeFixture(Header(2, 1, 8, SPNG_COLOR_TYPE_GRAYSCALE), {0, 200}),
       {0, MakeColour(200, 200, 200)}},
      {"grey 1", EncodeFixture(Header(3, 1, 1, SPNG_COLOR_TYPE_GRAYSCALE), {0b10100000}),
       {0x00FFFFFF, 0, 0x00FFFFFF}},
      {"palette", EncodeFixture(Header(3, 1, 8, SPNG_COLOR_TYPE_INDEXED), {1, 0, 1},
                                {{255, 0, 0}, {0, 128, 128}}),
       {teal, red, teal}},
      // Alpha lies over white: half-transparent red is pink, transparent is white.
      {"RGBA over white", EncodeFixture(Header(3, 1, 8, SPNG_COLOR_TYPE_TRUECOLOR_ALPHA),
                                        {255, 0, 0, 255, 255, 0, 0, 128, 255, 0, 0, 0}),
       {red, MakeColour(255, 127, 127), 0x00FFFFFF}},
      {"palette with transparency", EncodeFixture(Header(2, 1, 8, SPNG_COLOR_TYPE_INDEXED), {0, 1},
                                                  {{0, 0, 0}, {0, 0, 0}}, {0, 255}),
       {0x00FFFFFF, 0}},
      {"our own writer's files", EncodePng(*Bitmap::Create(2, 2, teal), {0, 0, 2, 2}),
       {teal, teal, teal, teal}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(IsPng(c.png));
    const auto picture = DecodePng(c.png);
    ASSERT_TRUE(picture) << DescribePictureError(picture.error());
    EXPECT_EQ(picture->kind, PictureFormat::kPng);
    EXPECT_EQ(Pixels(*picture), c.expected);
  }
}

TEST(DecodePng, InterlacedEqualsPlain) {
  Bytes raw;
  for (int i = 0; i < 9 * 7 * 3; ++i) raw.push_back(static_cast<std::uint8_t>(i * 37));
  const auto plain = DecodePng(EncodeFixture(Header(9, 7, 8, SPNG_COLOR_TYPE_TRUECOLOR), raw));
  const auto interlaced =
      DecodePng(EncodeFixture(Header(9, 7, 8, SPNG_COLOR_TYPE_TRUECOLOR, 1), raw));
  ASSERT_TRUE(plain && interlaced);
  EXPECT_EQ(Pixels(*plain), Pixels(*interlaced));
  EXPECT_EQ(plain->width, 9);
  EXPECT_EQ(plain->height, 7);
}

TEST(DecodePng, RefusesMalformedAndOversizedFiles) {
  const Bytes good = EncodeFixture(Header(4, 4, 8, SPNG_COLOR_TYPE_TRUECOLOR), Bytes(48, 100));
  auto with = [&](std::size_t at, std::uint8_t value) {
    Bytes b = good;
    b[at] = value;
    return b;
  };
  // IHDR's data start at byte 16: width, height, depth, colour type, ...
  auto sized = [&](std::uint32_t width, std::uint32_t height) {
    Bytes b = EncodeFixture(Header(1, 1, 8, SPNG_COLOR_TYPE_GRAYSCALE), {7});
    for (int i = 0; i < 4; ++i) {
      b[16 + i] = static_cast<std::uint8_t>(width >> (24 - 8 * i));
      b[20 + i] = static_cast<std::uint8_t>(height >> (24 - 8 * i));
    }
    return b;
  };
  const std::vector<fixtures::Refusal> cases = {
      {"not a PNG", fixtures::TestPicture("colour.jpg"), PictureError::kUnknownFormat},
      {"signature only", Bytes(good.begin(), good.begin() + 8), PictureError::kTruncated},
      {"cut in the image data", Bytes(good.begin(), good.end() - 20), PictureError::kTruncated},
      {"bad header checksum", with(29, good[29] ^ 0x55), PictureError::kMalformed},
      {"bit depth 3", with(24, 3), PictureError::kMalformed},
      {"width 0", sized(0, 1), PictureError::kMalformed},
      {"above the pixel bound, little data", sized(60000, 60000), PictureError::kTooLarge},
      {"above the asked bound", good, PictureError::kTooLarge, 15},
  };
  fixtures::ExpectRefusals([](const Bytes& bytes, const DecodeOptions& options) {
    return DecodePng(bytes, options);
  }, cases);
  EXPECT_TRUE(DecodePng(good, {.max_pixels = 16}));
}

TEST(DecodePictureOrPng, AddsPngToTheOtherFormats) {
  const auto png = DecodePictureOrPng(EncodePng(*Bitmap::Create(3, 2), {0, 0, 3, 2}));
  ASSERT_TRUE(png);
  EXPECT_EQ(png->kind, PictureFormat::kPng);
  const auto jpeg = DecodePictureOrPng(fixtures::TestPicture("colour.jpg"));
  ASSERT_TRUE(jpeg);
  EXPECT_EQ(jpeg->kind, PictureFormat::kJpeg);
}

}  // namespace
}  // namespace kolvane
