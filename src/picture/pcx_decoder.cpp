#include "picture/pcx_decoder.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "base/byte_reader.h"

namespace kolvane {
namespace {

constexpr std::size_t kHeaderSize = 128;
constexpr std::uint8_t kManufacturer = 0x0A;
constexpr std::uint8_t kRunLengthEncoding = 1;
constexpr std::uint8_t kMaxVersion = 5;
constexpr std::uint8_t kRunMarker = 0xC0;
constexpr int kMaxRun = 0xFF - kRunMarker;
constexpr std::uint8_t kPaletteMarker = 12;
constexpr std::size_t kPaletteSize = 768;

constexpr std::size_t kTableEntries = 256;

struct Header {
  int bits = 0;
  int planes = 0;
  long long width = 0;
  long long height = 0;
  long long bytes_per_line = 0;
};

std::optional<Header> ReadHeader(std::span<const std::uint8_t> bytes) {
  if (bytes.size() <= kHeaderSize) return std::nullopt;
  // The version is an unsigned byte: values above 0x7F are no known version and are
  // refused like any other version above 5.
  if (bytes[0] != kManufacturer || bytes[1] > kMaxVersion || bytes[2] != kRunLengthEncoding) {
    return std::nullopt;
  }
  // Every field read here lies within the 128 bytes checked above.
  ByteReader reader(bytes);
  reader.Seek(4);
  const int left = *reader.U16();
  const int top = *reader.U16();
  const int right = *reader.U16();
  const int bottom = *reader.U16();
  if (right < left || bottom < top) return std::nullopt;
  Header header;
  header.bits = bytes[3];
  header.planes = bytes[65];
  header.width = right - left + 1;
  header.height = bottom - top + 1;
  reader.Seek(66);
  header.bytes_per_line = *reader.U16();
  return header;
}

// Run-length values from byte 128 on: a byte above 0xC0 repeats the next byte
// (byte - 0xC0) times, any other byte stands for itself.
class RunReader {
 public:
  explicit RunReader(std::span<const std::uint8_t> bytes) : reader_(bytes) {
    reader_.Seek(kHeaderSize);
  }

  struct Run {
    std::uint8_t value;
    int count;
  };

  // The next run, or nothing when the data ends (a count without its value included).
  std::optional<Run> Next() {
    auto byte = reader_.U8();
    if (!byte) return std::nullopt;
    if (*byte <= kRunMarker) return Run{*byte, 1};
    auto value = reader_.U8();
    if (!value) return std::nullopt;
    return Run{*value, *byte - kRunMarker};
  }

  ByteReader& Reader() { return reader_; }

 private:
  ByteReader reader_;
};

// Splits the value stream into file rows of row_length values and keeps the first
// kept values of each in a stored row of stride bytes. A run that crosses the end of a
// row carries on into the next row, as a plain reading of the byte stream does; rows
// always start row_length values apart, so no row can shift the ones after it. Data
// that ends early leaves the remaining rows 0. True when every row was filled.
bool DecodeRows(RunReader& runs, std::uint8_t* out, std::size_t stride, long long height,
                long long row_length, long long kept) {
  long long row = 0;
  long long column = 0;
  while (row < height) {
    auto run = runs.Next();
    if (!run) return false;
    long long count = run->count;
    while (count > 0 && row < height) {
      const long long n = std::min(count, row_length - column);
      if (column < kept) {
        const long long end = std::min(column + n, kept);
        std::memset(out + static_cast<std::size_t>(row) * stride + static_cast<std::size_t>(column),
                    run->value, static_cast<std::size_t>(end - column));
      }
      column += n;
      count -= n;
      if (column == row_length) {
        column = 0;
        ++row;
      }
    }
  }
  return true;
}

// Two bytes give at most kMaxRun values and a lone last byte one, so the bytes after
// the header cap how many values the data can describe. A header that needs more
// cannot be backed by its data; refusing it keeps a few bytes from asking for a
// picture-sized allocation. The last row needs only its kept values.
bool DataCanHold(std::size_t bytes_left, long long height, long long row_length,
                 long long kept) {
  const unsigned long long needed =
      static_cast<unsigned long long>((height - 1) * row_length + kept);
  const unsigned long long most = static_cast<unsigned long long>(bytes_left / 2) * kMaxRun +
                                  bytes_left % 2;
  return needed <= most;
}

// Kind 7: one value per pixel. A file row is bytes-per-line bytes (encoders pad it to
// an even count), never fewer than the width needs; only the bytes that cover the
// width are kept, and their bits spread out to one value each.
DecodeResult DecodeMonochrome(std::span<const std::uint8_t> bytes, const Header& header) {
  const long long kept = (header.width + 7) / 8;
  const long long row_length = std::max(header.bytes_per_line, kept);
  if (!DataCanHold(bytes.size() - kHeaderSize, header.height, row_length, kept)) {
    return PictureError::kTruncated;
  }
  std::vector<std::uint8_t> packed(static_cast<std::size_t>(kept * header.height), 0);
  RunReader runs(bytes);
  DecodeRows(runs, packed.data(), static_cast<std::size_t>(kept), header.height, row_length, kept);

  MonoPixels mono;
  mono.width = static_cast<int>(header.width);
  mono.height = static_cast<int>(header.height);
  const auto width = static_cast<std::size_t>(header.width);
  mono.values.resize(width * static_cast<std::size_t>(header.height));
  for (std::size_t y = 0; y < static_cast<std::size_t>(header.height); ++y) {
    const std::uint8_t* row = packed.data() + y * static_cast<std::size_t>(kept);
    std::uint8_t* out = mono.values.data() + y * width;
    for (std::size_t x = 0; x < width; ++x) out[x] = (row[x / 8] >> (7 - x % 8)) & 1;
  }
  return DecodedPicture{PictureFormat::kPcx1, mono.width, mono.height, std::move(mono)};
}

// Kind 6: one byte per pixel and a 256-entry palette. A file row holds bytes-per-line
// values for each plane, never fewer than the width needs; the first width values
// are the pixels.
DecodeResult DecodePaletted(std::span<const std::uint8_t> bytes, const Header& header) {
  const long long kept = header.width;
  const long long row_length = std::max(header.bytes_per_line * header.planes, kept);
  if (!DataCanHold(bytes.size() - kHeaderSize, header.height, row_length, kept)) {
    return PictureError::kTruncated;
  }
  IndexedPixels image;
  image.width = static_cast<int>(header.width);
  image.height = static_cast<int>(header.height);
  image.planes = header.planes;
  image.indices.assign(static_cast<std::size_t>(kept * header.height), 0);

  RunReader runs(bytes);
  const bool complete = DecodeRows(runs, image.indices.data(), static_cast<std::size_t>(kept),
                                   header.height, row_length, kept);
  // Without the closing palette every table entry stays black: the header's 16-colour
  // palette belongs to 16-colour pictures, and 8-bit writers leave it unset.
  ByteReader& reader = runs.Reader();
  if (complete && reader.U8() == kPaletteMarker) {
    if (auto rgb = reader.Bytes(kPaletteSize)) {
      for (std::size_t i = 0; i < kTableEntries; ++i) {
        image.palette[i] = MakeColour((*rgb)[i * 3], (*rgb)[i * 3 + 1], (*rgb)[i * 3 + 2]);
      }
    }
  }
  const int width = image.width;
  const int height = image.height;
  return DecodedPicture{PictureFormat::kPcx8, width, height, std::move(image)};
}

}  // namespace

DecodeResult DecodePcx(std::span<const std::uint8_t> bytes, const DecodeOptions& options) {
  if (bytes.size() <= kHeaderSize) return PictureError::kTruncated;
  auto header = ReadHeader(bytes);
  if (!header) return PictureError::kMalformed;
  if (header->width * header->height > options.max_pixels) return PictureError::kTooLarge;
  if (header->bits == 1 && header->planes == 1) return DecodeMonochrome(bytes, *header);
  if (header->bits == 8) return DecodePaletted(bytes, *header);
  return PictureError::kUnsupported;
}

}  // namespace kolvane
