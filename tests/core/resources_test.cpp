#include "resources/resources.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "base/byte_reader.h"

// The embedded pictures are checked byte by byte, without the program's own
// decoders: these tests pin down the file layouts the decoders and the shell
// are written against.

namespace kolvane {
namespace {

using Bytes = std::span<const std::uint8_t>;

std::optional<std::uint16_t> U16Be(ByteReader& reader) {
  auto high = reader.U8();
  auto low = reader.U8();
  if (!high || !low) return std::nullopt;
  return static_cast<std::uint16_t>((*high << 8) | *low);
}

bool StartsWith(Bytes bytes, std::string_view prefix) {
  if (bytes.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (bytes[i] != static_cast<std::uint8_t>(prefix[i])) return false;
  }
  return true;
}

struct JpegSegment {
  std::uint8_t marker = 0;
  Bytes payload;  // the bytes after the length field
};

// The marker segments from SOI up to and including SOS; the entropy-coded
// data after SOS is not walked. Empty when the segment chain is broken.
std::vector<JpegSegment> JpegHeaderSegments(Bytes jpeg) {
  ByteReader reader(jpeg);
  if (reader.U8() != 0xFF || reader.U8() != 0xD8) return {};
  std::vector<JpegSegment> segments;
  for (;;) {
    if (reader.U8() != 0xFF) return {};
    auto marker = reader.U8();
    auto length = U16Be(reader);
    if (!marker || !length || *length < 2) return {};
    auto payload = reader.Bytes(*length - 2u);
    if (!payload) return {};
    segments.push_back({*marker, *payload});
    if (*marker == 0xDA) return segments;
  }
}

const JpegSegment* FindSegment(const std::vector<JpegSegment>& segments, std::uint8_t marker) {
  for (const JpegSegment& segment : segments) {
    if (segment.marker == marker) return &segment;
  }
  return nullptr;
}

TEST(BuiltinPicture, IsABaselineJfifJpegOf500By600InThreeComponents) {
  Bytes jpeg = resources::builtin_picture();
  EXPECT_GE(jpeg.size(), 56u * 1024);
  EXPECT_LE(jpeg.size(), 72u * 1024);
  ASSERT_GE(jpeg.size(), 4u);
  EXPECT_EQ(jpeg[jpeg.size() - 2], 0xFF);
  EXPECT_EQ(jpeg[jpeg.size() - 1], 0xD9);

  std::vector<JpegSegment> segments = JpegHeaderSegments(jpeg);
  ASSERT_FALSE(segments.empty());
  EXPECT_EQ(segments.back().marker, 0xDA);

  ASSERT_EQ(segments.front().marker, 0xE0);
  EXPECT_TRUE(StartsWith(segments.front().payload, std::string_view("JFIF\0", 5)));

  const JpegSegment* sof0 = FindSegment(segments, 0xC0);
  ASSERT_NE(sof0, nullptr);
  ByteReader frame(sof0->payload);
  EXPECT_EQ(frame.U8(), 8);  // sample precision
  EXPECT_EQ(U16Be(frame), 600);
  EXPECT_EQ(U16Be(frame), 500);
  ASSERT_EQ(frame.U8(), 3);
  // Luma 1x1 (4:4:4) or 2x2 (4:2:0); both chroma components 1x1.
  std::vector<std::uint8_t> sampling;
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(frame.Skip(1));
    auto factors = frame.U8();
    ASSERT_TRUE(factors && frame.Skip(1));
    sampling.push_back(*factors);
  }
  EXPECT_TRUE(sampling[0] == 0x11 || sampling[0] == 0x22) << int{sampling[0]};
  EXPECT_EQ(sampling[1], 0x11);
  EXPECT_EQ(sampling[2], 0x11);

  for (const JpegSegment& segment : segments) {
    // Every other start-of-frame (progressive, extended, lossless, arithmetic);
    // C4, C8 and CC are table markers, not frames.
    bool other_frame = segment.marker >= 0xC1 && segment.marker <= 0xCF && segment.marker != 0xC4 &&
                       segment.marker != 0xC8 && segment.marker != 0xCC;
    EXPECT_FALSE(other_frame) << std::hex << int{segment.marker};
    EXPECT_FALSE(segment.marker == 0xE1 && StartsWith(segment.payload, std::string_view("Exif\0", 5)));
    EXPECT_FALSE(segment.marker == 0xE2 && StartsWith(segment.payload, "ICC_PROFILE"));
  }
}

TEST(ProgramIcon, HoldsOne48By48Entry32BitsWithAMaskThatMatchesTheAlpha) {
  constexpr std::size_t kSide = 48;
  constexpr std::size_t kColourBytes = kSide * kSide * 4;
  constexpr std::size_t kMaskStride = 8;  // 48 bits, padded to a 32-bit boundary
  Bytes ico = resources::program_icon();
  ByteReader reader(ico);
  EXPECT_EQ(reader.U16(), 0);  // reserved
  EXPECT_EQ(reader.U16(), 1);  // icon, not cursor
  ASSERT_EQ(reader.U16(), 1);  // one entry
  EXPECT_EQ(reader.U8(), kSide);
  EXPECT_EQ(reader.U8(), kSide);
  EXPECT_EQ(reader.U8(), 0);  // colour count
  EXPECT_EQ(reader.U8(), 0);  // reserved
  EXPECT_EQ(reader.U16(), 1);  // planes
  EXPECT_EQ(reader.U16(), 32);
  auto size = reader.U32();
  auto offset = reader.U32();
  ASSERT_TRUE(size && offset);
  EXPECT_EQ(*offset, 22u);
  ASSERT_FALSE(*offset > ico.size() || *size > ico.size() - *offset);
  EXPECT_EQ(*size, 40 + kColourBytes + kSide * kMaskStride);

  ByteReader image(ico.subspan(*offset, *size));
  EXPECT_EQ(image.U32(), 40u);  // BITMAPINFOHEADER, not a PNG signature
  EXPECT_EQ(image.I32(), 48);
  EXPECT_EQ(image.I32(), 96);  // colour rows and mask rows together
  EXPECT_EQ(image.U16(), 1);
  EXPECT_EQ(image.U16(), 32);
  EXPECT_EQ(image.U32(), 0u);  // uncompressed
  ASSERT_TRUE(image.Seek(40));
  auto colours = image.Bytes(kColourBytes);
  auto mask = image.Bytes(kSide * kMaskStride);
  ASSERT_TRUE(colours && mask);

  // Platforms differ in which of the two they honour, so they must agree.
  std::size_t transparent = 0;
  for (std::size_t row = 0; row < kSide; ++row) {
    for (std::size_t x = 0; x < kSide; ++x) {
      std::uint8_t alpha = (*colours)[(row * kSide + x) * 4 + 3];
      bool mask_bit = ((*mask)[row * kMaskStride + x / 8] >> (7 - x % 8)) & 1;
      EXPECT_EQ(mask_bit, alpha == 0) << "row " << row << " x " << x;
      transparent += alpha == 0;
    }
  }
  // A rounded tile: its corners show through, most of it does not.
  EXPECT_GT(transparent, 0u);
  EXPECT_LT(transparent, kSide * kSide / 4);
}

// Skips a chain of GIF data sub-blocks; false when it runs past the data.
bool SkipSubBlocks(ByteReader& reader) {
  for (;;) {
    auto length = reader.U8();
    if (!length) return false;
    if (*length == 0) return true;
    if (!reader.Skip(*length)) return false;
  }
}

TEST(LinkPicture, IsAOneFrame21By21Gif89aWith16ColoursAndIndex15Transparent) {
  Bytes gif = resources::link_picture();
  ASSERT_TRUE(StartsWith(gif, "GIF89a"));
  ByteReader reader(gif);
  ASSERT_TRUE(reader.Skip(6));
  EXPECT_EQ(reader.U16(), 21);
  EXPECT_EQ(reader.U16(), 21);
  auto flags = reader.U8();
  ASSERT_TRUE(flags);
  ASSERT_TRUE(*flags & 0x80);    // global colour table present
  EXPECT_EQ(*flags & 0x07, 3);   // 2^(3+1) = 16 entries
  ASSERT_TRUE(reader.Skip(2));   // background index, aspect ratio
  ASSERT_TRUE(reader.Skip(16 * 3));

  int control_extensions = 0;
  int images = 0;
  std::optional<std::uint8_t> transparent_index;
  bool trailer = false;
  while (!trailer) {
    auto introducer = reader.U8();
    ASSERT_TRUE(introducer) << "no trailer";
    if (*introducer == 0x21) {
      auto label = reader.U8();
      ASSERT_TRUE(label);
      if (*label == 0xF9) {
        ++control_extensions;
        ASSERT_EQ(reader.U8(), 4);
        auto packed = reader.U8();
        ASSERT_TRUE(packed && reader.Skip(2));  // delay
        transparent_index = reader.U8();
        ASSERT_TRUE(transparent_index);
        EXPECT_TRUE(*packed & 0x01) << "transparency flag";
        ASSERT_EQ(reader.U8(), 0);  // block terminator
      } else {
        ASSERT_TRUE(SkipSubBlocks(reader));
      }
    } else if (*introducer == 0x2C) {
      ++images;
      ASSERT_TRUE(reader.Skip(8));  // left, top, width, height
      auto image_flags = reader.U8();
      ASSERT_TRUE(image_flags);
      if (*image_flags & 0x80) {
        ASSERT_TRUE(reader.Skip(3u << ((*image_flags & 7) + 1)));
      }
      ASSERT_TRUE(reader.Skip(1));  // LZW minimum code size
      ASSERT_TRUE(SkipSubBlocks(reader));
    } else {
      ASSERT_EQ(*introducer, 0x3B) << "stray block at " << reader.Position() - 1;
      trailer = true;
    }
  }
  EXPECT_EQ(reader.Remaining(), 0u);
  EXPECT_EQ(images, 1);
  EXPECT_EQ(control_extensions, 1);
  EXPECT_EQ(transparent_index, 15);
}

}  // namespace
}  // namespace kolvane
