#include "picture/picture_decoder.h"

#include <string>

#include <gtest/gtest.h>

#include "picture_fixtures.h"

namespace kolvane {
namespace {

using fixtures::Bytes;

Bytes Padded(Bytes bytes) {
  bytes.resize(6, 0);
  return bytes;
}

TEST(DetectPictureFormat, FollowsItsRulesInOrder) {
  struct Case {
    std::string name;
    Bytes bytes;
    PictureFormat expected;
  };
  const std::vector<Case> cases = {
      {"five bytes", {'B', 'M', 0, 0, 0}, PictureFormat::kNone},
      {"bitmap", Padded({'B', 'M'}), PictureFormat::kBitmap},
      {"JPEG", Padded({0xFF, 0xD8}), PictureFormat::kJpeg},
      {"icon", {0, 0, 1, 0, 1, 0}, PictureFormat::kIcon},
      {"icon of 256 entries", {0, 0, 1, 0, 0, 1}, PictureFormat::kIcon},
      {"icon without entries", {0, 0, 1, 0, 0, 0}, PictureFormat::kNone},
      {"cursor", {0, 0, 2, 0, 3, 0}, PictureFormat::kCursor},
      {"type 3", {0, 0, 3, 0, 1, 0}, PictureFormat::kNone},
      {"GIF87a", {'G', 'I', 'F', '8', '7', 'a'}, PictureFormat::kGif},
      {"GIF89a", {'G', 'I', 'F', '8', '9', 'a'}, PictureFormat::kGif},
      {"GIF88a", {'G', 'I', 'F', '8', '8', 'a'}, PictureFormat::kNone},
      {"PCX 8 bits, version 5", Padded({0x0A, 5, 1, 8}), PictureFormat::kPcx8},
      {"PCX 8 bits, version 6", Padded({0x0A, 6, 1, 8}), PictureFormat::kNone},
      {"PCX 8 bits, version 3 (rule 6 before 7)", Padded({0x0A, 3, 1, 8}), PictureFormat::kPcx8},
      {"PCX 1 bit, version 3", Padded({0x0A, 3, 1, 1}), PictureFormat::kPcx1},
      {"PCX 1 bit, version 5", Padded({0x0A, 5, 1, 1}), PictureFormat::kNone},
      {"PCX without RLE", Padded({0x0A, 5, 0, 8}), PictureFormat::kNone},
      {"PNG", {0x89, 'P', 'N', 'G', '\r', '\n'}, PictureFormat::kNone},
  };
  for (const Case& c : cases) EXPECT_EQ(DetectPictureFormat(c.bytes), c.expected) << c.name;
}

TEST(DecodePicture, DispatchesByTheFirstBytes) {
  fixtures::BmpFields bmp;
  bmp.rows = {{1, 2, 3}};
  const auto bitmap = DecodePicture(fixtures::Bmp(bmp));
  ASSERT_TRUE(bitmap);
  EXPECT_EQ(bitmap->kind, PictureFormat::kBitmap);

  const auto jpeg = DecodePicture(fixtures::TestPicture("colour.jpg"));
  ASSERT_TRUE(jpeg);
  EXPECT_EQ(jpeg->kind, PictureFormat::kJpeg);

  const auto icon =
      DecodePicture(fixtures::IconFile({{32, 16, fixtures::PlainIconImage(2, 2, 0)}}));
  ASSERT_TRUE(icon);
  EXPECT_EQ(icon->kind, PictureFormat::kIcon);

  const auto gif = DecodePicture(fixtures::TestPicture("gif_noise.gif"));
  ASSERT_TRUE(gif);
  EXPECT_EQ(gif->kind, PictureFormat::kGif);

  const auto pcx = DecodePicture(fixtures::TestPicture("pcx_1bit.pcx"));
  ASSERT_TRUE(pcx);
  EXPECT_EQ(pcx->kind, PictureFormat::kPcx1);
}

TEST(DecodePicture, GivesTheReasonForNothing) {
  const std::vector<fixtures::Refusal> cases = {
      {"empty", {}, PictureError::kUnknownFormat},
      {"PNG", {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 0},
       PictureError::kUnknownFormat},
      {"too short to detect", {0xFF, 0xD8, 0xFF}, PictureError::kUnknownFormat},
      {"run-length bitmap", fixtures::TestPicture("load_rle8.bmp"), PictureError::kUnsupported},
      {"bitmap headers cut short", Padded({'B', 'M'}), PictureError::kTruncated},
      {"GIF of 13 bytes", Bytes{'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0},
       PictureError::kTruncated},
      {"above the asked bound", fixtures::TestPicture("colour.jpg"), PictureError::kTooLarge,
       100},
  };
  fixtures::ExpectRefusals([](const Bytes& bytes, const DecodeOptions& options) {
    return DecodePicture(bytes, options);
  }, cases);
  for (const auto& c : cases) EXPECT_FALSE(DescribePictureError(c.reason).empty());
}

}  // namespace
}  // namespace kolvane
