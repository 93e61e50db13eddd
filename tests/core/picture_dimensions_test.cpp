#include "picture/picture_dimensions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "picture/picture_decoder.h"
#include "picture_fixtures.h"
#include "temp_folder.h"

namespace kolvane {
namespace {

using fixtures::Bytes;
using test_support::TempFolder;

constexpr Colour kWhite = 0x00FFFFFF;
constexpr Colour kRed = 0x000000FF;
constexpr Colour kBlue = 0x00FF0000;

std::string Picture(const std::string& name) {
  return std::string(KOLVANE_TEST_DATA) + "/pictures/" + name;
}

// 4 x 2, 24 bits: the top row's left half is masked out (colour 0, mask 1) and its
// right half red; the bottom row blue. Rows are stored bottom-up.
Bytes MaskedIconImage() {
  const Bytes top = {0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0, 0, 0xFF};  // blue, green, red
  const Bytes bottom = {0xFF, 0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0xFF, 0, 0};
  return fixtures::IconImage(4, 2, 24, {bottom, top}, {{0x00}, {0xC0}});
}


Bytes SixteenBitBitmap(std::int32_t width, std::int32_t height) {
  fixtures::BmpFields fields;
  fields.width = width;
  fields.height = height;
  fields.bits = 16;
  fields.rows.assign(height, Bytes(2 * width, 0x1F));
  return fixtures::Bmp(fields);
}

Bytes TwentyFourBitBitmap(std::int32_t width, std::int32_t height) {
  fixtures::BmpFields fields;
  fields.width = width;
  fields.height = height;
  fields.rows.assign(height, Bytes(3 * width, 0x80));
  return fixtures::Bmp(fields);
}

TEST(PictureDimensions, EveryDecodedFormatGivesItsDecodedSize) {
  TempFolder folder;
  const struct {
    const char* name;
    std::string path;
    PictureFormat kind;
  } cases[] = {
      {"JPEG", Picture("load_640x480.jpg"), PictureFormat::kJpeg},
      {"greyscale JPEG", Picture("grey.jpg"), PictureFormat::kJpeg},
      {"BMP", folder.Write("a.bmp", TwentyFourBitBitmap(5, 3)), PictureFormat::kBitmap},
      {"GIF", Picture("gif_transparent.gif"), PictureFormat::kGif},
      {"icon", folder.Write("a.ico", fixtures::IconFile({{4, 0, MaskedIconImage()}})),
       PictureFormat::kIcon},
      {"cursor", folder.Write("a.cur", fixtures::IconFile({{4, 0, MaskedIconImage()}}, 2)),
       PictureFormat::kCursor},
      {"8-bit PCX", Picture("pcx_8bit.pcx"), PictureFormat::kPcx8},
      {"1-bit PCX", Picture("pcx_1bit.pcx"), PictureFormat::kPcx1},
  };
  for (const auto& c : cases) {
    const Bytes bytes = fixtures::ReadFile(c.path);
    const auto decoded = DecodePicture(bytes);
    ASSERT_TRUE(decoded) << c.name;
    ASSERT_EQ(decoded->kind, c.kind) << c.name;
    const auto bitmap = PictureBytesToBitmap(bytes);
    ASSERT_TRUE(bitmap) << c.name;
    EXPECT_EQ(bitmap->Width(), decoded->width) << c.name;
    EXPECT_EQ(bitmap->Height(), decoded->height) << c.name;
    EXPECT_EQ(PictureFileWidth(c.path), decoded->width) << c.name;
    EXPECT_EQ(PictureFileHeight(c.path), decoded->height) << c.name;
  }
}

TEST(PictureBytesToBitmap, HoldsThePictureUprightAtNaturalSize) {
  const Bytes bytes = fixtures::TestPicture("colour.jpg");
  const auto decoded = DecodePicture(bytes);
  const auto bitmap = PictureBytesToBitmap(bytes);
  ASSERT_TRUE(decoded && bitmap);
  const Bitmap& pixels = std::get<Bitmap>(decoded->pixels);
  EXPECT_EQ(bitmap->Pixels(), pixels.Pixels());
}

TEST(PictureBytesToBitmap, DrawsIconsAndCursorsOnWhite) {
  for (const std::uint16_t type : {1, 2}) {  // icon, cursor
    const auto bitmap = PictureBytesToBitmap(fixtures::IconFile({{4, 0, MaskedIconImage()}}, type));
    ASSERT_TRUE(bitmap) << type;
    EXPECT_EQ(bitmap->Pixels(),
              (std::vector<Colour>{kWhite, kWhite, kRed, kRed, kBlue, kBlue, kBlue, kBlue}))
        << type;
  }
}

TEST(PictureBytesToBitmap, GivesNothingForWhatItCannotDecode) {
  const Bytes jpeg = fixtures::TestPicture("colour.jpg");
  const std::string text = "Not a picture, just a few words of text.";
  const struct {
    const char* name;
    Bytes bytes;
  } cases[] = {
      {"no bytes", {}},
      {"5 bytes of a JPEG", Bytes(jpeg.begin(), jpeg.begin() + 5)},
      {"5 bytes of a bitmap", Bytes{'B', 'M', 0x46, 0, 0}},
      {"text", Bytes(text.begin(), text.end())},
      {"PNG", {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13, 'I', 'H', 'D', 'R'}},
      {"run-length bitmap", fixtures::Rle8Bitmap(3, 3)},
      {"16-bit bitmap", SixteenBitBitmap(3, 3)},
  };
  for (const auto& c : cases) EXPECT_FALSE(PictureBytesToBitmap(c.bytes)) << c.name;
}

TEST(PictureFileSize, FallsBackToTheBitmapFileLoader) {
  TempFolder folder;
  const struct {
    const char* name;
    std::string path;
    int width;
    int height;
  } cases[] = {
      {"ImageMagick RLE8", Picture("load_rle8.bmp"), 37, 23},
      {"16 bits", folder.Write("16.bmp", SixteenBitBitmap(7, 2)), 7, 2},
      // The query gives the file's size; keeping it within a control is the canvas's.
      {"40000 x 300 RLE8", folder.Write("wide.bmp", fixtures::Rle8Bitmap(40000, 300)), 40000, 300},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(PictureFileWidth(c.path), c.width) << c.name;
    EXPECT_EQ(PictureFileHeight(c.path), c.height) << c.name;
  }
}

TEST(PictureFileSize, IsZeroForFilesWithoutAPicture) {
  TempFolder folder;
  const Bytes jpeg = fixtures::TestPicture("colour.jpg");
  const Bytes png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
  const Bytes rle = fixtures::Rle8Bitmap(3, 3);
  const std::string paths[] = {
      "",
      folder.Path("missing.jpg"),
      folder.Path(""),  // a folder
      folder.Write("empty", std::string()),
      folder.Write("five.jpg", Bytes(jpeg.begin(), jpeg.begin() + 5)),
      folder.Write("text.txt", std::string("Hello\r\nworld\r\n")),
      folder.Write("a.png", png),
      folder.Write("cut.bmp", Bytes(rle.begin(), rle.begin() + 40)),
  };
  for (const std::string& path : paths) {
    EXPECT_EQ(PictureFileWidth(path), 0) << path;
    EXPECT_EQ(PictureFileHeight(path), 0) << path;
  }
}

TEST(PictureFileSize, ReadsTheFileAnewForEachQuery) {
  TempFolder folder;
  const std::string path = folder.Write("picture", TwentyFourBitBitmap(5, 3));
  EXPECT_EQ(PictureFileWidth(path), 5);
  EXPECT_EQ(PictureFileHeight(path), 3);
  folder.Write("picture", fixtures::Rle8Bitmap(9, 4));
  EXPECT_EQ(PictureFileWidth(path), 9);
  EXPECT_EQ(PictureFileHeight(path), 4);
  folder.Write("picture", std::string("no longer a picture"));
  EXPECT_EQ(PictureFileWidth(path), 0);
  EXPECT_EQ(PictureFileHeight(path), 0);
}

}  // namespace
}  // namespace kolvane
