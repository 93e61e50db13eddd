#include "picture/jpeg_decoder.h"

#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "picture_fixtures.h"
#include "resources/resources.h"

namespace kolvane {
namespace {

using fixtures::Bytes;
using fixtures::TestPicture;

// The colour at (x, y), counted from the top, of a true-colour picture.
Colour PixelAt(const DecodedPicture& p, int x, int y) {
  return std::get<Bitmap>(p.pixels).Pixel(x, y);
}

// Lossy coding moves colours a little; the fixtures' blocks are solid, so a few
// levels are plenty.
void ExpectNear(Colour actual, Colour expected, int tolerance = 6) {
  EXPECT_NEAR(RedOf(actual), RedOf(expected), tolerance) << std::hex << actual;
  EXPECT_NEAR(GreenOf(actual), GreenOf(expected), tolerance) << std::hex << actual;
  EXPECT_NEAR(BlueOf(actual), BlueOf(expected), tolerance) << std::hex << actual;
}

// The quadrant fixtures are 32 x 32 with 16 x 16 blocks; their centres are read.
void ExpectQuadrants(const DecodedPicture& p, const std::vector<Colour>& colours,
                     int tolerance = 6) {
  ASSERT_EQ(p.width, 32);
  ASSERT_EQ(p.height, 32);
  ExpectNear(PixelAt(p, 8, 8), colours[0], tolerance);
  ExpectNear(PixelAt(p, 24, 8), colours[1], tolerance);
  ExpectNear(PixelAt(p, 8, 24), colours[2], tolerance);
  ExpectNear(PixelAt(p, 24, 24), colours[3], tolerance);
}

// Offset of the first marker of the given code (0 when there is none).
std::size_t FindMarker(const Bytes& jpeg, std::uint8_t code) {
  for (std::size_t i = 0; i + 1 < jpeg.size(); ++i) {
    if (jpeg[i] == 0xFF && jpeg[i + 1] == code) return i;
  }
  return 0;
}

TEST(DecodeJpeg, BuiltInPictureIsFiveHundredBySixHundred) {
  const auto picture = DecodeJpeg(resources::builtin_picture());
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->kind, PictureFormat::kJpeg);
  EXPECT_EQ(picture->width, 500);
  EXPECT_EQ(picture->height, 600);
  const Bitmap& pixels = std::get<Bitmap>(picture->pixels);
  EXPECT_EQ(pixels.Width(), 500);
  EXPECT_EQ(pixels.Height(), 600);
}

TEST(DecodeJpeg, ColourPixelsLandUpright) {
  const auto picture = DecodeJpeg(TestPicture("colour.jpg"));
  ASSERT_TRUE(picture);
  ExpectQuadrants(*picture, {MakeColour(255, 0, 0), MakeColour(0, 255, 0),
                             MakeColour(0, 0, 255), MakeColour(255, 255, 255)});
  // The file's first rows are the top ones: the bottom-left corner is blue.
  ExpectNear(PixelAt(*picture, 0, 31), MakeColour(0, 0, 255), 16);
}

TEST(DecodeJpeg, GreyscaleGivesEqualChannels) {
  const auto picture = DecodeJpeg(TestPicture("grey.jpg"));
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->width, 32);
  EXPECT_EQ(picture->height, 16);
  int distinct_greys = 0;
  for (int x = 0; x < 32; ++x) {
    const Colour c = PixelAt(*picture, x, 0);
    EXPECT_EQ(RedOf(c), GreenOf(c));
    EXPECT_EQ(RedOf(c), BlueOf(c));
    if (x > 0 && c != PixelAt(*picture, x - 1, 0)) ++distinct_greys;
  }
  EXPECT_GT(distinct_greys, 10);  // the fixture is a ramp, not a flat grey
}

TEST(DecodeJpeg, FourComponentPicturesGiveTheirColours) {
  // Adobe CMYK stored inverted; the second block has K = 128 on top of pure red.
  const auto cmyk = DecodeJpeg(TestPicture("cmyk.jpg"));
  ASSERT_TRUE(cmyk);
  ExpectQuadrants(*cmyk, {MakeColour(255, 0, 0), MakeColour(127, 0, 0), MakeColour(0, 255, 0),
                          MakeColour(255, 255, 255)});
  // YCCK, which the library turns into CMYK.
  const auto ycck = DecodeJpeg(TestPicture("ycck.jpg"));
  ASSERT_TRUE(ycck);
  ExpectQuadrants(*ycck, {MakeColour(255, 0, 0), MakeColour(64, 128, 192), MakeColour(0, 0, 0),
                          MakeColour(255, 255, 255)},
                  10);
}

TEST(DecodeJpeg, ProgressivePicturesDecode) {
  const auto picture = DecodeJpeg(TestPicture("progressive.jpg"));
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->width, 48);
  EXPECT_EQ(picture->height, 40);
  // The fixture is a gradient with red rising to the right.
  EXPECT_LT(RedOf(PixelAt(*picture, 2, 20)), 40);
  EXPECT_GT(RedOf(PixelAt(*picture, 45, 20)), 215);
}

TEST(DecodeJpeg, StopsAtAThousandScans) {
  // The progressive fixture with its last scan repeated: a few repeats still decode
  // (the library only warns), a thousand are refused before they cost minutes on a
  // large picture.
  const Bytes progressive = TestPicture("progressive.jpg");
  std::size_t last_scan = 0;
  for (std::size_t i = 0; i + 1 < progressive.size(); ++i) {
    if (progressive[i] == 0xFF && progressive[i + 1] == 0xDA) last_scan = i;
  }
  ASSERT_NE(last_scan, 0u);
  const Bytes scan(progressive.begin() + last_scan, progressive.end() - 2);  // without EOI
  auto repeated = [&](int times) {
    Bytes out(progressive.begin(), progressive.begin() + last_scan);
    for (int i = 0; i < times; ++i) fixtures::Append(out, scan);
    fixtures::Append(out, {0xFF, 0xD9});
    return out;
  };
  EXPECT_TRUE(DecodeJpeg(repeated(10)));
  EXPECT_FALSE(DecodeJpeg(repeated(1001)));
}

TEST(DecodeJpeg, DataCutShortStillGivesAFullSizePicture) {
  const Bytes whole = TestPicture("colour.jpg");
  const std::size_t scan = FindMarker(whole, 0xDA);
  ASSERT_NE(scan, 0u);
  const auto half = DecodeJpeg(std::span(whole).first(scan + (whole.size() - scan) / 2));
  ASSERT_TRUE(half);
  ASSERT_EQ(half->width, 32);
  ASSERT_EQ(half->height, 32);
  ExpectNear(PixelAt(*half, 8, 8), MakeColour(255, 0, 0));  // the top rows came through

  // Every cut gives a full-size picture once the header is complete, and nothing
  // before; never anything else.
  for (const char* name : {"colour.jpg", "progressive.jpg", "grey.jpg", "cmyk.jpg"}) {
    const Bytes bytes = TestPicture(name);
    const auto full = DecodeJpeg(bytes);
    ASSERT_TRUE(full) << name;
    int decoded_cuts = 0;
    for (std::size_t n = 0; n < bytes.size(); ++n) {
      const auto cut = DecodeJpeg(std::span(bytes).first(n));
      if (!cut) continue;
      ++decoded_cuts;
      EXPECT_EQ(cut->width, full->width) << name << " cut at " << n;
      EXPECT_EQ(cut->height, full->height) << name << " cut at " << n;
      EXPECT_EQ(std::get<Bitmap>(cut->pixels).Height(), full->height);
    }
    EXPECT_GT(decoded_cuts, 0) << name;
  }
}

TEST(DecodeJpeg, DecodesAtTheSmallestScaleThatGivesTheSizeAskedFor) {
  const Bytes colour = TestPicture("colour.jpg");  // 32 x 32 in four blocks
  EXPECT_EQ(ReadJpegSize(colour), (PictureSize{32, 32}));
  EXPECT_EQ(ReadJpegSize(Bytes{0xFF, 0xD8, 0xFF, 0xD9}), std::nullopt);
  struct Case {
    int min_width;
    int min_height;
    int side;  // of the decoded picture: 32 * eighths / 8
  };
  for (const Case& c : {Case{0, 0, 32}, Case{4, 4, 4}, Case{8, 1, 8}, Case{1, 9, 12},
                        Case{32, 32, 32}, Case{33, 0, 32}}) {
    SCOPED_TRACE(std::to_string(c.min_width) + " x " + std::to_string(c.min_height));
    const auto picture = DecodeJpeg(colour, {.min_width = c.min_width, .min_height = c.min_height});
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->width, c.side);
    EXPECT_EQ(picture->height, c.side);
    // The blocks keep their colours at every scale.
    const int q = c.side / 4;
    ExpectNear(PixelAt(*picture, q, q), MakeColour(255, 0, 0), 12);
    ExpectNear(PixelAt(*picture, 3 * q, 3 * q), MakeColour(255, 255, 255), 12);
  }
}

TEST(DecodeJpeg, RejectsWhatTheLibraryRejects) {
  const Bytes colour = TestPicture("colour.jpg");
  const std::size_t sof = FindMarker(colour, 0xC0);
  ASSERT_NE(sof, 0u);
  auto with_size = [&](std::uint16_t width, std::uint16_t height) {
    Bytes b = colour;
    b[sof + 5] = static_cast<std::uint8_t>(height >> 8);
    b[sof + 6] = static_cast<std::uint8_t>(height);
    b[sof + 7] = static_cast<std::uint8_t>(width >> 8);
    b[sof + 8] = static_cast<std::uint8_t>(width);
    return b;
  };
  Bytes lossless = colour;
  lossless[sof + 1] = 0xC3;  // a process the library does not decode
  const std::vector<fixtures::Refusal> cases = {
      {"empty", {}, PictureError::kTruncated},
      {"start of image only", {0xFF, 0xD8}, PictureError::kNoImage},
      {"no frame", {0xFF, 0xD8, 0xFF, 0xD9}, PictureError::kNoImage},
      {"lossless process", lossless, PictureError::kUnsupported},
      {"PNG", {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13}, PictureError::kMalformed},
      {"zero width", with_size(0, 32), PictureError::kMalformed},
      {"zero height", with_size(32, 0), PictureError::kMalformed},
      {"above 2^28 pixels", with_size(65000, 65000), PictureError::kTooLarge},
      {"above the asked bound", colour, PictureError::kTooLarge, 32 * 32 - 1},
  };
  fixtures::ExpectRefusals([](const Bytes& bytes, const DecodeOptions& options) {
    return DecodeJpeg(bytes, options);
  }, cases);
  EXPECT_TRUE(DecodeJpeg(colour, {.max_pixels = 32 * 32}));
}

}  // namespace
}  // namespace kolvane
