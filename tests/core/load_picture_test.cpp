#include "convert/load_picture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "layout/window_definitions.h"
#include "picture/picture_decoder.h"
#include "picture_fixtures.h"
#include "base/system_values.h"
#include "temp_folder.h"

namespace kolvane {
namespace {

using fixtures::Bytes;
using test_support::TempFolder;

// 画板2 as window "ban" holds it: its definition's settings and place, inside the
// window's 250 x 210 client area.
std::unique_ptr<Canvas> PictureCanvas() {
  const WindowDefinition& ban = PictureWindowDefinition();
  const ControlDefinition* control = FindControl(ban, "画板2");
  if (control == nullptr) return nullptr;
  return std::make_unique<Canvas>(
      control->canvas,
      CanvasPlacement{{control->left, control->top, control->width, control->height},
                      ClientWidth(ban), ClientHeight(ban)});
}

std::string Picture(const std::string& name) {
  return std::string(KOLVANE_TEST_DATA) + "/pictures/" + name;
}


std::size_t OpenFileCount() {
  std::size_t count = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
    ++count;
  }
  return count;
}

TEST(LoadPictureFile, AJpegFillsTheCanvasFromItsTopLeftCorner) {
  const auto canvas = PictureCanvas();
  ASSERT_TRUE(canvas);
  ASSERT_EQ(ClientWidth(PictureWindowDefinition()), 250);
  ASSERT_EQ(ClientHeight(PictureWindowDefinition()), 210);
  const std::string path = Picture("load_640x480.jpg");
  const Bytes bytes = fixtures::ReadFile(path);
  const std::size_t open_files = OpenFileCount();

  LoadPictureFile(*canvas, path);

  EXPECT_EQ(OpenFileCount(), open_files) << "the file is not held open";
  EXPECT_EQ(canvas->Width(), 640);
  EXPECT_EQ(canvas->Height(), 480);
  EXPECT_TRUE(std::ranges::equal(canvas->BackgroundPicture(), bytes));

  const auto decoded = DecodePicture(bytes);
  ASSERT_TRUE(decoded);
  ASSERT_EQ(decoded->width, 640);
  ASSERT_EQ(decoded->height, 480);
  const Bitmap& pixels = std::get<Bitmap>(decoded->pixels);
  for (int y = 0; y < 210; ++y) {
    for (int x = 0; x < 250; ++x) {
      ASSERT_EQ(canvas->ReadPixel(x, y), pixels.Pixel(x, y)) << x << ", " << y;
    }
  }
  // Beyond the window's client area, and beyond the picture, nothing can be read.
  for (const auto& [x, y] : std::vector<std::pair<int, int>>{
           {250, 0}, {250, 209}, {639, 100}, {640, 0}, {700, 300}, {0, 210}, {249, 479},
           {0, 480}, {-1, 0}, {0, -1}}) {
    EXPECT_EQ(canvas->ReadPixel(x, y), kUnreadableColour) << x << ", " << y;
  }
}

TEST(LoadPictureFile, AFileWithoutAPictureLeavesAnEmptyCanvas) {
  TempFolder folder;
  // Each file with the reason it gives no picture.
  const std::pair<std::string, std::string> files[] = {
      {folder.Write("notes.txt", std::string("Dear diary,\r\ntoday I loaded a text file.\r\n")),
       std::string(DescribePictureError(PictureError::kUnknownFormat))},
      {folder.Write("empty.jpg", std::string()), "is empty"},
      {folder.Write("a.png", Bytes{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13,
                                   'I', 'H', 'D', 'R', 0, 0, 0, 8, 0, 0, 0, 8, 8, 2, 0, 0, 0}),
       std::string(DescribePictureError(PictureError::kUnknownFormat))},
      {folder.Path("gone.jpg"), "cannot be opened (No such file or directory)"},
      {folder.Path(""), "is not a regular file"},
  };
  for (const auto& [path, reason] : files) {
    const auto canvas = PictureCanvas();
    EXPECT_EQ(LoadPictureFile(*canvas, path), reason);
    EXPECT_EQ(canvas->Width(), 0) << path;
    EXPECT_EQ(canvas->Height(), 0) << path;
    EXPECT_TRUE(canvas->BackgroundPicture().empty()) << path;
    EXPECT_EQ(canvas->ReadPixel(0, 0), kUnreadableColour) << path;
  }
}

TEST(LoadPictureFile, ABitmapOnlyTheLoaderReadsGivesItsSizeOverTheBackground) {
  const auto canvas = PictureCanvas();
  // RLE8, 37 x 23: the bytes are refused, the size is taken.
  EXPECT_EQ(LoadPictureFile(*canvas, Picture("load_rle8.bmp")),
            DescribePictureError(PictureError::kUnsupported));
  EXPECT_EQ(canvas->Width(), 37);
  EXPECT_EQ(canvas->Height(), 23);
  EXPECT_TRUE(canvas->BackgroundPicture().empty()) << "undecodable bytes are discarded";
  for (int y = 0; y < 23; ++y) {
    for (int x = 0; x < 37; ++x) ASSERT_EQ(canvas->ReadPixel(x, y), kButtonFaceColour);
  }
  EXPECT_EQ(canvas->ReadPixel(37, 0), kUnreadableColour);
  EXPECT_EQ(canvas->ReadPixel(0, 23), kUnreadableColour);
}

TEST(LoadPictureFile, AWidthAbove32627IsKeptTo32627) {
  TempFolder folder;
  const auto canvas = PictureCanvas();
  LoadPictureFile(*canvas, folder.Write("wide.bmp", fixtures::Rle8Bitmap(40000, 300)));
  EXPECT_EQ(canvas->Width(), 32627);
  EXPECT_EQ(canvas->Height(), 300);
  EXPECT_EQ(canvas->ReadPixel(249, 209), kButtonFaceColour);
  EXPECT_EQ(canvas->ReadPixel(250, 0), kUnreadableColour);
}

TEST(LoadPictureFile, SetsTheHeightBeforeTheWidth) {
  TempFolder folder;
  const struct {
    std::string path;
    std::vector<std::pair<int, int>> sizes;  // width, height after each change
  } cases[] = {
      {Picture("load_640x480.jpg"), {{104, 480}, {640, 480}}},
      {folder.Write("a.txt", std::string("text")), {{104, 0}, {0, 0}}},
  };
  for (const auto& c : cases) {
    const auto canvas = PictureCanvas();
    ASSERT_EQ(canvas->Width(), 104);
    ASSERT_EQ(canvas->Height(), 128);
    std::vector<std::pair<int, int>> seen;
    canvas->on_resized = [&] { seen.emplace_back(canvas->Width(), canvas->Height()); };
    LoadPictureFile(*canvas, c.path);
    EXPECT_EQ(seen, c.sizes) << c.path;
  }
}

TEST(LoadPictureFile, EachLoadReplacesTheLastOne) {
  TempFolder folder;
  const auto canvas = PictureCanvas();
  LoadPictureFile(*canvas, Picture("load_640x480.jpg"));
  LoadPictureFile(*canvas, folder.Write("a.txt", std::string("text")));
  EXPECT_EQ(canvas->Width(), 0);
  EXPECT_EQ(canvas->Height(), 0);
  EXPECT_TRUE(canvas->BackgroundPicture().empty());

  const std::string colour = Picture("colour.jpg");  // 32 x 32
  LoadPictureFile(*canvas, colour);
  EXPECT_EQ(canvas->Width(), 32);
  EXPECT_EQ(canvas->Height(), 32);
  EXPECT_TRUE(std::ranges::equal(canvas->BackgroundPicture(), fixtures::ReadFile(colour)));
}

}  // namespace
}  // namespace kolvane

namespace kolvane {
namespace {

TEST(LoadPictureBytes, GivesTheCanvasLoadPictureFileGives) {
  // Decodable pictures of every format, one only the bitmap-file loader reads, and
  // bytes that are no picture at all.
  const std::string names[] = {"load_640x480.jpg", "e2e_icon.ico", "e2e_cursor.cur",
                               "gif_animated.gif", "pcx_1bit.pcx", "e2e_wide.bmp",
                               "load_rle8.bmp",    "make_pictures.py"};
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    const std::string path = std::string(KOLVANE_TEST_DATA) + "/pictures/" + name;
    const auto from_file = PictureCanvas();
    const auto from_bytes = PictureCanvas();
    const std::string file_reason = LoadPictureFile(*from_file, path);
    EXPECT_EQ(LoadPictureBytes(*from_bytes, fixtures::ReadFile(path)), file_reason);
    EXPECT_EQ(from_bytes->Width(), from_file->Width());
    EXPECT_EQ(from_bytes->Height(), from_file->Height());
    EXPECT_TRUE(std::ranges::equal(from_bytes->BackgroundPicture(), from_file->BackgroundPicture()));
    EXPECT_EQ(from_bytes->PersistentBitmap().Pixels(), from_file->PersistentBitmap().Pixels());
  }
  const auto empty = PictureCanvas();
  EXPECT_EQ(LoadPictureBytes(*empty, {}), "is empty");
  EXPECT_EQ(empty->Width(), 0);
}

}  // namespace
}  // namespace kolvane
