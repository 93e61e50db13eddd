#pragma once
// Where writers put their bytes: a sink takes them piece by piece, and an output
// buffer gathers small pieces into large blocks for it.
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace kolvane {

class ByteSink {
 public:
  virtual ~ByteSink() = default;
  // Takes the bytes; false when they could not be written.
  virtual bool Write(std::string_view bytes) = 0;
};

// Appends everything to a string.
class StringSink : public ByteSink {
 public:
  explicit StringSink(std::string& out) : out_(out) {}
  bool Write(std::string_view bytes) override {
    out_.append(bytes);
    return true;
  }

 private:
  std::string& out_;
};

// Gathers pieces and hands them to the sink in blocks of its capacity. After a failed
// write it drops everything and Ok() stays false.
class OutputBuffer {
 public:
  explicit OutputBuffer(ByteSink& sink, std::size_t capacity = std::size_t{1} << 16)
      : sink_(sink), buffer_(new char[capacity]), capacity_(capacity) {}
  OutputBuffer(const OutputBuffer&) = delete;
  OutputBuffer& operator=(const OutputBuffer&) = delete;

  // Room for at least count bytes (at most the capacity) at the returned place; the
  // caller writes there and hands the end of what it wrote to Commit.
  char* Reserve(std::size_t count) {
    if (capacity_ - used_ < count) Flush();
    return buffer_.get() + used_;
  }
  void Commit(const char* end) { used_ = static_cast<std::size_t>(end - buffer_.get()); }

  void Append(std::string_view bytes) {
    if (bytes.size() > capacity_ - used_) {
      Flush();
      if (bytes.size() > capacity_) {
        ok_ = ok_ && sink_.Write(bytes);
        return;
      }
    }
    bytes.copy(buffer_.get() + used_, bytes.size());
    used_ += bytes.size();
  }

  // Hands over what is gathered; false once any write has failed.
  bool Flush() {
    if (used_ > 0) ok_ = ok_ && sink_.Write(std::string_view(buffer_.get(), used_));
    used_ = 0;
    return ok_;
  }
  bool Ok() const { return ok_; }

 private:
  ByteSink& sink_;
  std::unique_ptr<char[]> buffer_;
  std::size_t capacity_;
  std::size_t used_ = 0;
  bool ok_ = true;
};

}  // namespace kolvane
