#pragma once
// Bounds-checked reading of untrusted bytes: every read fails cleanly at the end.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace kolvane {

class ByteReader {
 public:
  explicit ByteReader(std::span<const std::uint8_t> data) : data_(data) {}

  std::size_t Position() const { return position_; }
  std::size_t Size() const { return data_.size(); }
  std::size_t Remaining() const { return data_.size() - position_; }
  std::span<const std::uint8_t> Data() const { return data_; }

  // Moves to an absolute offset; false (and no move) beyond the end.
  bool Seek(std::size_t offset) {
    if (offset > data_.size()) return false;
    position_ = offset;
    return true;
  }
  // Skips count bytes; false (and no move) when fewer remain.
  bool Skip(std::size_t count) {
    if (count > Remaining()) return false;
    position_ += count;
    return true;
  }
  std::optional<std::uint8_t> U8() {
    if (Remaining() < 1) return std::nullopt;
    return data_[position_++];
  }
  std::optional<std::uint16_t> U16() {  // little-endian
    if (Remaining() < 2) return std::nullopt;
    std::uint16_t v = static_cast<std::uint16_t>(data_[position_] | (data_[position_ + 1] << 8));
    position_ += 2;
    return v;
  }
  std::optional<std::uint32_t> U32() {  // little-endian
    if (Remaining() < 4) return std::nullopt;
    std::uint32_t v = std::uint32_t{data_[position_]} | (std::uint32_t{data_[position_ + 1]} << 8) |
                      (std::uint32_t{data_[position_ + 2]} << 16) |
                      (std::uint32_t{data_[position_ + 3]} << 24);
    position_ += 4;
    return v;
  }
  std::optional<std::int32_t> I32() {
    auto v = U32();
    if (!v) return std::nullopt;
    return static_cast<std::int32_t>(*v);
  }
  // The next count bytes, or nothing (and no move) when fewer remain.
  std::optional<std::span<const std::uint8_t>> Bytes(std::size_t count) {
    if (count > Remaining()) return std::nullopt;
    auto s = data_.subspan(position_, count);
    position_ += count;
    return s;
  }
  // Up to count bytes: fewer at the end of the data, like a file read.
  std::span<const std::uint8_t> ReadUpTo(std::size_t count) {
    std::size_t n = count < Remaining() ? count : Remaining();
    auto s = data_.subspan(position_, n);
    position_ += n;
    return s;
  }

 private:
  std::span<const std::uint8_t> data_;
  std::size_t position_ = 0;
};

}  // namespace kolvane
