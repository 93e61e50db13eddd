#include "picture/gif_decoder.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "base/byte_reader.h"

namespace kolvane {
namespace {

constexpr std::size_t kScreenDescriptorEnd = 13;
constexpr std::uint8_t kExtensionIntroducer = 0x21;
constexpr std::uint8_t kImageSeparator = 0x2C;
constexpr std::uint8_t kTrailer = 0x3B;
constexpr std::uint8_t kGraphicControlLabel = 0xF9;
constexpr std::uint8_t kCommentLabel = 0xFE;
constexpr std::uint8_t kApplicationLabel = 0xFF;
constexpr std::uint8_t kPlainTextLabel = 0x01;
// Fixed-size heads of the extensions, counted from the introducer byte.
constexpr std::size_t kGraphicControlSize = 8;
constexpr std::size_t kApplicationHeadSize = 14;
constexpr std::size_t kPlainTextHeadSize = 15;

constexpr int kMaxCodeBits = 12;
constexpr int kMaxCodes = 1 << kMaxCodeBits;
// Literal widths of the standard are 2..8; 1 is accepted too because its clear and
// end codes (2, 3) are unambiguous and some encoders write it for two-colour images.
// Anything above 8 would give colour indices that no table entry can hold.
constexpr int kMinLiteralBits = 1;
constexpr int kMaxLiteralBits = 8;
constexpr std::uint16_t kNoPrefix = 0xFFFF;

using ColourTable = std::array<Colour, 256>;

// Reads 2^(bits+1) RGB entries into the table; entries the file does not give stay
// black.
bool ReadColourTable(ByteReader& reader, int size_bits, ColourTable& table) {
  const std::size_t entries = std::size_t{1} << (size_bits + 1);
  auto rgb = reader.Bytes(entries * 3);
  if (!rgb) return false;
  for (std::size_t i = 0; i < entries; ++i) {
    table[i] = MakeColour((*rgb)[i * 3], (*rgb)[i * 3 + 1], (*rgb)[i * 3 + 2]);
  }
  return true;
}

bool SkipSubBlocks(ByteReader& reader) {
  for (;;) {
    auto size = reader.U8();
    if (!size) return false;
    if (*size == 0) return true;
    if (!reader.Skip(*size)) return false;
  }
}

// The reader stands just after the introducer. The graphic control, application and
// plain-text heads are passed by their fixed sizes, as the format defines them.
bool SkipExtension(ByteReader& reader) {
  auto label = reader.U8();
  if (!label) return false;
  switch (*label) {
    case kGraphicControlLabel:
      return reader.Skip(kGraphicControlSize - 2);
    case kCommentLabel:
      return SkipSubBlocks(reader);
    case kApplicationLabel:
      return reader.Skip(kApplicationHeadSize - 2) && SkipSubBlocks(reader);
    case kPlainTextLabel:
      return reader.Skip(kPlainTextHeadSize - 2) && SkipSubBlocks(reader);
    default:
      return false;
  }
}

// Codes of the image data, least significant bit first across the data sub-blocks.
// The data ends at the block terminator or at the end of the bytes, whichever comes
// first: a file cut short keeps the pixels decoded before the cut.
class CodeReader {
 public:
  explicit CodeReader(ByteReader& reader) : reader_(reader) {}

  // The next code of the given width, or nothing at the end of the image data.
  std::optional<int> Read(int width) {
    while (bit_count_ < width) {
      auto byte = NextByte();
      if (!byte) return std::nullopt;
      bits_ |= std::uint32_t{*byte} << bit_count_;
      bit_count_ += 8;
    }
    const int code = static_cast<int>(bits_ & ((std::uint32_t{1} << width) - 1));
    bits_ >>= width;
    bit_count_ -= width;
    return code;
  }

 private:
  std::optional<std::uint8_t> NextByte() {
    if (ended_) return std::nullopt;
    if (block_left_ == 0) {
      auto size = reader_.U8();
      if (!size || *size == 0) {
        ended_ = true;
        return std::nullopt;
      }
      block_left_ = *size;
    }
    auto byte = reader_.U8();
    if (!byte) {
      ended_ = true;
      return std::nullopt;
    }
    --block_left_;
    return byte;
  }

  ByteReader& reader_;
  std::uint32_t bits_ = 0;
  int bit_count_ = 0;
  int block_left_ = 0;
  bool ended_ = false;
};

// Places decoded indices row by row, in the four interlace passes when asked, and
// drops whatever comes after the last row.
class PixelSink {
 public:
  PixelSink(std::uint8_t* pixels, std::size_t stride, int width, int height, bool interlaced)
      : pixels_(pixels), stride_(stride), width_(width), height_(height),
        interlaced_(interlaced) {}

  bool Full() const { return full_; }

  void Put(std::uint8_t index) {
    if (full_) return;
    pixels_[static_cast<std::size_t>(row_) * stride_ + static_cast<std::size_t>(column_)] = index;
    if (++column_ == width_) {
      column_ = 0;
      NextRow();
    }
  }

 private:
  void NextRow() {
    static constexpr int kPassStart[4] = {0, 4, 2, 1};
    static constexpr int kPassStep[4] = {8, 8, 4, 2};
    if (!interlaced_) {
      full_ = ++row_ >= height_;
      return;
    }
    row_ += kPassStep[pass_];
    while (row_ >= height_) {
      if (++pass_ == 4) {
        full_ = true;
        return;
      }
      row_ = kPassStart[pass_];
    }
  }

  std::uint8_t* pixels_;
  std::size_t stride_;
  int width_;
  int height_;
  bool interlaced_;
  int row_ = 0;
  int column_ = 0;
  int pass_ = 0;
  bool full_ = false;
};

// GIF's variable-width LZW over fixed 4096-entry tables. Every entry's prefix is an
// older code, so chains always end at a root; the walk is still bounded by the table
// size so that a broken table is an error and never a hang.
class LzwDecoder {
 public:
  explicit LzwDecoder(int literal_bits)
      : literal_bits_(literal_bits), clear_code_(1 << literal_bits), end_code_(clear_code_ + 1) {
    for (int code = 0; code < clear_code_; ++code) {
      prefix_[code] = kNoPrefix;
      suffix_[code] = static_cast<std::uint8_t>(code);
      first_[code] = static_cast<std::uint8_t>(code);
    }
  }

  // Decodes until the end code or the end of the data; false for a code that cannot
  // be resolved.
  bool Run(CodeReader& codes, PixelSink& sink) {
    Clear();
    while (auto read = codes.Read(width_)) {
      const int code = *read;
      if (code == clear_code_) {
        Clear();
        continue;
      }
      if (code == end_code_) return true;
      if (previous_ < 0) {
        // After a clear there is nothing to build on: only a literal can stand here.
        // A code naming the next free entry would define that entry by itself.
        if (code > clear_code_) return false;
        sink.Put(static_cast<std::uint8_t>(code));
        previous_ = code;
        continue;
      }
      std::uint8_t first;
      if (code < next_code_) {
        first = first_[code];
      } else if (code == next_code_) {
        first = first_[previous_];
      } else {
        return false;
      }
      // A full table is kept as it is until the encoder sends a clear code.
      if (next_code_ < kMaxCodes) {
        prefix_[next_code_] = static_cast<std::uint16_t>(previous_);
        suffix_[next_code_] = first;
        first_[next_code_] = first_[previous_];
        ++next_code_;
        if (next_code_ == (1 << width_) && width_ < kMaxCodeBits) ++width_;
      }
      // Once every pixel is placed the table is still followed, so that a bad code
      // later on is noticed, but strings are no longer expanded.
      if (!sink.Full() && !Expand(code, sink)) return false;
      previous_ = code;
    }
    return true;
  }

 private:
  void Clear() {
    width_ = literal_bits_ + 1;
    next_code_ = end_code_ + 1;
    previous_ = -1;
  }

  bool Expand(int code, PixelSink& sink) {
    std::size_t depth = 0;
    for (;;) {
      if (depth == stack_.size()) return false;
      stack_[depth++] = suffix_[code];
      if (prefix_[code] == kNoPrefix) break;
      code = prefix_[code];
    }
    while (depth > 0) sink.Put(stack_[--depth]);
    return true;
  }

  int literal_bits_;
  int clear_code_;
  int end_code_;
  int width_ = 0;
  int next_code_ = 0;
  int previous_ = -1;
  std::array<std::uint16_t, kMaxCodes> prefix_{};
  std::array<std::uint8_t, kMaxCodes> suffix_{};
  std::array<std::uint8_t, kMaxCodes> first_{};
  std::array<std::uint8_t, kMaxCodes> stack_{};
};

// Sides of 0 make no picture; a side is a 16-bit word, so the product cannot overflow.
std::optional<PictureError> CheckSize(long long width, long long height,
                                      const DecodeOptions& options) {
  if (width <= 0 || height <= 0) return PictureError::kMalformed;
  if (width * height > options.max_pixels) return PictureError::kTooLarge;
  return std::nullopt;
}

// A code is at least literal_bits + 1 bits wide and expands to at most kMaxCodes
// pixels, so the bytes left cap how many pixels the data can describe. A header that
// claims more cannot be backed by its data; refusing it keeps a few bytes from
// asking for a picture-sized allocation.
bool DataCanHold(std::size_t bytes_left, int literal_bits, long long pixels) {
  const unsigned long long codes = static_cast<unsigned long long>(bytes_left) * 8 /
                                   static_cast<unsigned long long>(literal_bits + 1);
  return static_cast<unsigned long long>(pixels) <= codes * kMaxCodes;
}

}  // namespace

DecodeResult DecodeGif(std::span<const std::uint8_t> bytes, const DecodeOptions& options) {
  if (bytes.size() <= kScreenDescriptorEnd) return PictureError::kTruncated;
  if (std::memcmp(bytes.data(), "GIF87a", 6) != 0 && std::memcmp(bytes.data(), "GIF89a", 6) != 0) {
    return PictureError::kMalformed;
  }
  ByteReader reader(bytes);
  reader.Seek(6);
  // The screen descriptor lies within the 13 bytes checked above.
  const int screen_width = *reader.U16();
  const int screen_height = *reader.U16();
  const std::uint8_t screen_flags = *reader.U8();
  reader.Seek(kScreenDescriptorEnd);
  // The drawing side makes a bitmap of the logical screen's size.
  if (auto error = CheckSize(screen_width, screen_height, options)) return *error;

  ColourTable global_table{};
  if (screen_flags & 0x80) {
    if (!ReadColourTable(reader, screen_flags & 7, global_table)) return PictureError::kTruncated;
    // The table must not reach the end of the data.
    if (reader.Remaining() == 0) return PictureError::kTruncated;
  }

  // Only the first image matters. A trailer or a zero byte before it means the file
  // holds no image at all.
  for (;;) {
    auto block = reader.U8();
    if (!block) return PictureError::kTruncated;
    if (*block == kImageSeparator) break;
    if (*block == kTrailer || *block == 0) return PictureError::kNoImage;
    if (*block != kExtensionIntroducer) return PictureError::kMalformed;
    if (!SkipExtension(reader)) return PictureError::kMalformed;
  }

  // The image's left and top are read past: the image is placed at the top-left.
  if (!reader.Skip(4)) return PictureError::kTruncated;
  auto image_width = reader.U16();
  auto image_height = reader.U16();
  auto image_flags = reader.U8();
  if (!image_width || !image_height || !image_flags) return PictureError::kTruncated;
  const int width = *image_width;
  const int height = *image_height;
  if (auto error = CheckSize(width, height, options)) return *error;

  IndexedPixels image;
  image.width = width;
  image.height = height;
  image.palette = global_table;
  if (*image_flags & 0x80) {
    image.palette = ColourTable{};
    if (!ReadColourTable(reader, *image_flags & 7, image.palette)) return PictureError::kTruncated;
  }
  auto literal_bits = reader.U8();
  if (!literal_bits) return PictureError::kTruncated;
  if (*literal_bits < kMinLiteralBits || *literal_bits > kMaxLiteralBits) {
    return PictureError::kMalformed;
  }
  if (!DataCanHold(reader.Remaining(), *literal_bits, static_cast<long long>(width) * height)) {
    return PictureError::kTruncated;
  }

  image.indices.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
  PixelSink sink(image.indices.data(), static_cast<std::size_t>(width), width, height,
                 (*image_flags & 0x40) != 0);
  CodeReader codes(reader);
  LzwDecoder lzw(*literal_bits);
  if (!lzw.Run(codes, sink)) return PictureError::kMalformed;
  return DecodedPicture{PictureFormat::kGif, screen_width, screen_height, std::move(image)};
}

}  // namespace kolvane
