#pragma once
// Character set conversions through iconv.
#include <iconv.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace kolvane {

// What a conversion does with characters that iconv still holds when the input ends:
// some converters keep a letter back until they see whether a combining mark follows
// (glibc's code pages 1255 and 1258 do, for every letter a mark may join).
enum class HeldBack : std::uint8_t { kAppend, kDrop };

// One iconv conversion descriptor, open for the object's lifetime.
class IconvConverter {
 public:
  // Opens a conversion from the charset `from` to the charset `to`, by iconv's names.
  IconvConverter(const char* to, const char* from);
  ~IconvConverter();
  IconvConverter(const IconvConverter&) = delete;
  IconvConverter& operator=(const IconvConverter&) = delete;

  // Whether iconv knows both charsets; Convert must not be called otherwise.
  bool Ok() const;

  // Converts `in` as one whole text, from the initial shift state, appending to `out`;
  // false at the first invalid, incomplete or unconvertible sequence, with what came
  // before it appended.
  bool Convert(std::string_view in, std::string& out, HeldBack held_back = HeldBack::kAppend);

 private:
  iconv_t cd_;
};

}  // namespace kolvane
