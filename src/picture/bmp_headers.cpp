#include "picture/bmp_headers.h"

namespace kolvane {
namespace {

// Every field read here lies within the header bytes checked by the caller.
BmpInfoHeader InfoFields(ByteReader& field) {
  BmpInfoHeader h;
  h.size = *field.U32();
  h.width = *field.I32();
  h.height = *field.I32();
  h.planes = *field.U16();
  h.bits = *field.U16();
  h.compression = static_cast<BmpCompression>(*field.U32());
  h.image_size = *field.U32();
  field.Skip(8);  // resolution
  h.colours_used = *field.U32();
  return h;
}

}  // namespace

std::optional<std::uint32_t> ReadBmpFileHeader(ByteReader& reader) {
  const auto bytes = reader.Bytes(kBmpFileHeaderSize);
  if (!bytes || (*bytes)[0] != 'B' || (*bytes)[1] != 'M') return std::nullopt;
  // The file-size field is not trusted: the data's own size bounds everything.
  ByteReader field(*bytes);
  field.Seek(10);
  return *field.U32();
}

std::optional<BmpInfoHeader> ReadBmpInfoHeader(ByteReader& reader) {
  const auto bytes = reader.Bytes(kBmpInfoHeaderSize);
  if (!bytes) return std::nullopt;
  ByteReader field(*bytes);
  return InfoFields(field);
}

std::optional<BmpInfoHeader> ReadBmpHeaderOfItsSize(ByteReader& reader) {
  ByteReader peek = reader;
  const auto size = peek.U32();
  if (!size || *size < kBmpCoreHeaderSize || *size > reader.Remaining() ||
      (*size > kBmpCoreHeaderSize && *size < kBmpInfoHeaderSize)) {
    return std::nullopt;
  }
  if (*size != kBmpCoreHeaderSize) return ReadBmpInfoHeader(reader);
  BmpInfoHeader h;
  h.size = *reader.U32();
  h.width = *reader.U16();
  h.height = *reader.U16();
  h.planes = *reader.U16();
  h.bits = *reader.U16();
  return h;
}

std::optional<std::vector<Colour>> ReadBmpColourTable(ByteReader& reader, std::uint64_t count) {
  if (count > reader.Remaining() / 4) return std::nullopt;
  std::vector<Colour> table(static_cast<std::size_t>(count));
  for (Colour& entry : table) {
    const auto quad = *reader.Bytes(4);  // blue, green, red, reserved
    entry = MakeColour(quad[2], quad[1], quad[0]);
  }
  return table;
}

std::uint64_t BmpTableEntries(const BmpInfoHeader& header) {
  return header.colours_used != 0 ? header.colours_used : std::uint64_t{1} << header.bits;
}

}  // namespace kolvane
