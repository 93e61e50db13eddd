#include "picture/bitmap_file_loader.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "picture/picture_decoder.h"
#include "picture_fixtures.h"

namespace kolvane {
namespace {

using fixtures::Bytes;
using fixtures::Put16;
using fixtures::Put32;

// The parts of a Windows bitmap file that decide whether it loads. Table, masks and
// pixels are zero bytes: only their amount matters here.
struct BmpFile {
  std::uint32_t header_size = 40;
  std::int32_t width = 1;
  std::int32_t height = 1;
  std::uint16_t planes = 1;
  std::uint16_t bits = 24;
  std::uint32_t compression = 0;
  std::uint32_t image_size = 0;
  std::uint32_t colours_used = 0;
  std::size_t after_header = 0;        // bytes of masks and colour table
  std::int64_t pixel_offset = -1;      // -1: right after them
  std::int64_t pixel_bytes = -1;       // -1: exactly the rows an uncompressed bitmap needs
  std::function<void(Bytes&)> patch = nullptr;  // a last change to the finished file
};

std::int64_t RowBytes(const BmpFile& f) {
  return (std::int64_t{f.width} * f.bits + 31) / 32 * 4 * std::llabs(std::int64_t{f.height});
}

Bytes Build(const BmpFile& f) {
  const std::uint32_t offset = static_cast<std::uint32_t>(
      f.pixel_offset >= 0 ? f.pixel_offset : 14 + f.header_size + f.after_header);
  const std::int64_t pixels = f.pixel_bytes >= 0 ? f.pixel_bytes : RowBytes(f);
  Bytes out = {'B', 'M'};
  Put32(out, static_cast<std::uint32_t>(offset + pixels));  // bfSize
  Put32(out, 0);                                            // reserved
  Put32(out, offset);                                       // bfOffBits
  Put32(out, f.header_size);                                // biSize / bcSize
  if (f.header_size == 12) {
    Put16(out, static_cast<std::uint16_t>(f.width));   // bcWidth
    Put16(out, static_cast<std::uint16_t>(f.height));  // bcHeight
    Put16(out, f.planes);                              // bcPlanes
    Put16(out, f.bits);                                // bcBitCount
  } else {
    Put32(out, static_cast<std::uint32_t>(f.width));   // biWidth
    Put32(out, static_cast<std::uint32_t>(f.height));  // biHeight
    Put16(out, f.planes);                              // biPlanes
    Put16(out, f.bits);                                // biBitCount
    Put32(out, f.compression);                         // biCompression
    Put32(out, f.image_size);                          // biSizeImage
    Put32(out, 2835);                                  // biXPelsPerMeter
    Put32(out, 2835);                                  // biYPelsPerMeter
    Put32(out, f.colours_used);                        // biClrUsed
    Put32(out, 0);                                     // biClrImportant
  }
  out.resize(14 + f.header_size + f.after_header, 0);  // later header fields, masks, table
  out.resize(offset, 0);
  out.resize(out.size() + static_cast<std::size_t>(pixels), 0);
  if (f.patch) f.patch(out);
  return out;
}

constexpr std::uint32_t kRle8 = 1;
constexpr std::uint32_t kRle4 = 2;
constexpr std::uint32_t kBitFields = 3;
constexpr std::uint32_t kJpeg = 4;
constexpr std::uint32_t kPng = 5;
constexpr std::uint32_t kAlphaBitFields = 6;

// A run-length bitmap of any size whose pixels are a lone end-of-bitmap code.
BmpFile RunLength(std::int32_t width, std::int32_t height) {
  return {.width = width, .height = height, .bits = 8, .compression = kRle8, .colours_used = 1,
          .after_header = 4, .pixel_bytes = 2,
          .patch = [](Bytes& b) { b[b.size() - 1] = 1; }};
}

BmpFile With(BmpFile f, const std::function<void(BmpFile&)>& change) {
  change(f);
  return f;
}

struct Case {
  const char* name;
  BmpFile file;
  std::optional<PictureSize> expected;
};

TEST(ReadBitmapFileSize, GivesTheStoredSizeOfEveryKindOfBitmapThatLoads) {
  const Case cases[] = {
      {"1-bit", {.width = 3, .height = 2, .bits = 1, .after_header = 8}, PictureSize{3, 2}},
      {"4-bit", {.width = 5, .height = 3, .bits = 4, .after_header = 64}, PictureSize{5, 3}},
      {"8-bit using 2 colours",
       {.width = 2, .height = 2, .bits = 8, .colours_used = 2, .after_header = 8},
       PictureSize{2, 2}},
      {"8-bit claiming 1000 colours, holding 256",
       {.bits = 8, .colours_used = 1000, .after_header = 1024}, PictureSize{1, 1}},
      {"16-bit uncompressed", {.width = 7, .height = 3, .bits = 16}, PictureSize{7, 3}},
      {"24-bit top-down: absolute height", {.width = 4, .height = -5}, PictureSize{4, 5}},
      {"24-bit with a palette hint", {.colours_used = 2, .after_header = 8}, PictureSize{1, 1}},
      {"32-bit bit fields, masks after the header",
       {.width = 3, .bits = 32, .compression = kBitFields, .after_header = 12},
       PictureSize{3, 1}},
      {"16-bit alpha bit fields, top-down",
       {.width = 3, .height = -2, .bits = 16, .compression = kAlphaBitFields, .after_header = 16},
       PictureSize{3, 2}},
      {"core header, 8-bit, colour triples",
       {.header_size = 12, .width = 9, .height = 4, .bits = 8, .after_header = 768},
       PictureSize{9, 4}},
      {"core header, 24-bit", {.header_size = 12, .width = 65535, .height = 1},
       PictureSize{65535, 1}},
      {"V2 header, masks inside", {.header_size = 52, .bits = 32, .compression = kBitFields},
       PictureSize{1, 1}},
      {"V3 header", {.header_size = 56, .bits = 16, .compression = kAlphaBitFields},
       PictureSize{1, 1}},
      {"V4 header", {.header_size = 108, .width = 6, .height = -6, .bits = 32}, PictureSize{6, 6}},
      {"V5 header", {.header_size = 124, .width = 2, .height = 8}, PictureSize{2, 8}},
      {"pixels after a gap", {.width = 2, .height = 2, .pixel_offset = 200}, PictureSize{2, 2}},
      {"bytes after the pixels", {.width = 2, .height = 2, .pixel_bytes = 100},
       PictureSize{2, 2}},
      {"RLE8, 40000 x 300 in 60 bytes", RunLength(40000, 300), PictureSize{40000, 300}},
      {"RLE4 with its size field",
       {.width = 3, .height = 3, .bits = 4, .compression = kRle4, .image_size = 2,
        .after_header = 64, .pixel_bytes = 2},
       PictureSize{3, 3}},
      {"2^28 pixels", RunLength(16384, 16384), PictureSize{16384, 16384}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ReadBitmapFileSize(Build(c.file)), c.expected) << c.name;
  }
}

TEST(ReadBitmapFileSize, RefusesBitmapsThatCannotBeMade) {
  const Case cases[] = {
      {"2^28 + 16384 pixels", RunLength(16385, 16384), std::nullopt},
      {"2^31 - 1 x 2^31 - 1 pixels", RunLength(INT32_MAX, INT32_MAX), std::nullopt},
      {"width 0", {.width = 0}, std::nullopt},
      {"width below 0", {.width = -3}, std::nullopt},
      {"height 0", {.height = 0}, std::nullopt},
      {"height -2^31", {.width = 1, .height = INT32_MIN, .pixel_bytes = 8}, std::nullopt},
      {"core header, width 0", {.header_size = 12, .width = 0}, std::nullopt},
      {"planes 0", {.planes = 0}, std::nullopt},
      {"planes 2", {.planes = 2}, std::nullopt},
      {"bit count 0, JPEG pixels", {.bits = 0, .compression = kJpeg, .pixel_bytes = 100},
       std::nullopt},
      {"PNG pixels", {.compression = kPng, .pixel_bytes = 100}, std::nullopt},
      {"2 bits", {.bits = 2, .after_header = 16}, std::nullopt},
      {"bit count 64", {.bits = 64}, std::nullopt},
      {"24-bit bit fields", {.compression = kBitFields, .after_header = 12}, std::nullopt},
      {"RLE8 of 4 bits", With(RunLength(2, 2), [](BmpFile& f) { f.bits = 4; }), std::nullopt},
      {"RLE4 of 8 bits", With(RunLength(2, 2), [](BmpFile& f) { f.compression = kRle4; }),
       std::nullopt},
      {"RLE8 stored top-down", RunLength(2, -2), std::nullopt},
      {"compression 7", {.compression = 7}, std::nullopt},
      {"core header, 16-bit", {.header_size = 12, .bits = 16}, std::nullopt},
      {"core header, 32-bit", {.header_size = 12, .bits = 32}, std::nullopt},
      {"OS/2 64-byte header", {.header_size = 64}, std::nullopt},
      {"header size 16", {.header_size = 16}, std::nullopt},
      {"header size 0", {.header_size = 0, .pixel_offset = 54}, std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ReadBitmapFileSize(Build(c.file)), c.expected) << c.name;
  }
}

TEST(ReadBitmapFileSize, RefusesTablesAndPixelsOutsideTheFile) {
  const auto set_offset = [](std::uint32_t offset) {
    return [offset](Bytes& b) {
      b[10] = static_cast<std::uint8_t>(offset);
      b[11] = static_cast<std::uint8_t>(offset >> 8);
      b[12] = static_cast<std::uint8_t>(offset >> 16);
      b[13] = static_cast<std::uint8_t>(offset >> 24);
    };
  };
  const Case cases[] = {
      {"pixels one byte short", {.width = 3, .height = 3, .pixel_bytes = 35}, std::nullopt},
      {"the last row without its padding", {.width = 1, .height = 2, .pixel_bytes = 7},
       std::nullopt},
      {"pixels inside the header", {.pixel_offset = 40, .pixel_bytes = 100}, std::nullopt},
      {"pixels inside the colour table",
       {.bits = 8, .after_header = 1024, .pixel_offset = 54 + 512, .pixel_bytes = 1024},
       std::nullopt},
      {"no room for the bit-field masks",
       {.bits = 32, .compression = kBitFields, .pixel_bytes = 100}, std::nullopt},
      {"colour table past the end", {.bits = 8, .pixel_offset = 54}, std::nullopt},
      {"a palette hint past the end", {.colours_used = 0xFFFFFFFF, .pixel_bytes = 100},
       std::nullopt},
      {"pixel offset past the end", {.patch = set_offset(0xFFFFFFF0)}, std::nullopt},
      {"pixel offset 0", {.patch = set_offset(0)}, std::nullopt},
      {"run-length pixels missing", With(RunLength(2, 2), [](BmpFile& f) {
         f.pixel_bytes = 0;
         f.patch = nullptr;
       }),
       std::nullopt},
      {"run-length size field past the end",
       With(RunLength(2, 2), [](BmpFile& f) { f.image_size = 3; }), std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ReadBitmapFileSize(Build(c.file)), c.expected) << c.name;
  }
}

TEST(ReadBitmapFileSize, RefusesEveryCutOfAFileBeforeItsEnd) {
  for (const BmpFile& f : {BmpFile{.width = 3, .height = 2, .bits = 4, .after_header = 64},
                           BmpFile{.header_size = 124, .width = 5, .height = -3, .bits = 32},
                           BmpFile{.header_size = 12, .width = 2, .height = 2, .bits = 1,
                                   .after_header = 6}}) {
    const Bytes whole = Build(f);
    ASSERT_TRUE(ReadBitmapFileSize(whole));
    for (std::size_t size = 0; size < whole.size(); ++size) {
      EXPECT_FALSE(ReadBitmapFileSize(std::span(whole).first(size)))
          << f.header_size << "-byte header cut to " << size << " bytes";
    }
  }
}

TEST(ReadBitmapFileSize, RefusesFilesThatAreNoBitmaps) {
  const Bytes png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
  const std::string text = "BM is how this text file happens to begin, and it goes on.";
  Bytes os2_array = Build({});
  os2_array[1] = 'A';  // "BA": an OS/2 bitmap array
  for (const Bytes& bytes : {Bytes{}, Bytes{'B', 'M'}, png, Bytes(text.begin(), text.end()),
                             os2_array, Bytes(200, 0)}) {
    EXPECT_FALSE(ReadBitmapFileSize(bytes)) << bytes.size() << " bytes";
  }
}

// The decoder's own seed bitmaps are well-formed; inputs a fuzzer added beside them
// need not be (the decoder reads past faults the loader refuses).
TEST(ReadBitmapFileSize, AgreesWithTheDecoderOnWellFormedBitmaps) {
  const std::filesystem::path folder =
      std::filesystem::path(KOLVANE_TEST_DATA) / "../../fuzz/corpus/bmp";
  int count = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.path().extension() != ".bmp") continue;
    const Bytes bytes = fixtures::ReadFile(entry.path().string());
    const auto decoded = DecodePicture(bytes);
    ASSERT_TRUE(decoded) << entry.path();
    EXPECT_EQ(ReadBitmapFileSize(bytes), (PictureSize{decoded->width, decoded->height}))
        << entry.path();
    ++count;
  }
  EXPECT_GT(count, 0);
}

TEST(LoadBitmapFileSize, ReadsTheFileFromDisk) {
  // Made by ImageMagick: 8 bits, RLE8, a 256-entry table, the size field set.
  const std::string rle8 = std::string(KOLVANE_TEST_DATA) + "/pictures/load_rle8.bmp";
  EXPECT_EQ(LoadBitmapFileSize(rle8), (PictureSize{37, 23}));
  EXPECT_FALSE(DecodePicture(fixtures::ReadFile(rle8))) << "the decoder takes no RLE";
  EXPECT_FALSE(LoadBitmapFileSize(std::string(KOLVANE_TEST_DATA) + "/pictures/missing.bmp"));
  EXPECT_FALSE(LoadBitmapFileSize(""));
}

}  // namespace
}  // namespace kolvane
