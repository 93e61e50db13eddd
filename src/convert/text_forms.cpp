#include "convert/text_forms.h"

#include <array>
#include <charconv>
#include <system_error>

namespace kolvane {
namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

// "00" to "99": two digits per division by 100 instead of one per division by 10.
constexpr std::array<char, 200> MakeDigitPairs() {
  std::array<char, 200> pairs{};
  for (int i = 0; i < 100; ++i) {
    pairs[2 * i] = static_cast<char>('0' + i / 10);
    pairs[2 * i + 1] = static_cast<char>('0' + i % 10);
  }
  return pairs;
}
constexpr std::array<char, 200> kDigitPairs = MakeDigitPairs();

constexpr std::uint32_t kPowersOfTen[] = {1,      10,      100,      1000,      10000,
                                          100000, 1000000, 10000000, 100000000, 1000000000};

// Bytes escaped per append: keeps the work buffer on the stack and the appends few.
constexpr std::size_t kEscapeChunk = 64;

}  // namespace

char* WriteHexEscape(char* out, std::string_view text) {
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    out[0] = '\\';
    out[1] = '\'';
    out[2] = kHexDigits[byte >> 4];
    out[3] = kHexDigits[byte & 0x0F];
    out += 4;
  }
  return out;
}

void AppendHexEscape(Text& out, std::string_view text) {
  char buffer[kEscapeChunk * 4];
  while (!text.empty()) {
    const std::string_view chunk = text.substr(0, kEscapeChunk);
    out.append(buffer, WriteHexEscape(buffer, chunk));
    text.remove_prefix(chunk.size());
  }
}

Text HexEscape(std::string_view text) {
  Text out;
  out.reserve(text.size() * 4);
  AppendHexEscape(out, text);
  return out;
}

char* WriteIntegerText(char* out, std::int32_t n) {
  // Negated in unsigned arithmetic, so INT32_MIN needs no special case.
  std::uint32_t magnitude =
      n < 0 ? 0u - static_cast<std::uint32_t>(n) : static_cast<std::uint32_t>(n);
  if (n < 0) *out++ = '-';
  int digits = 1;
  while (digits < 10 && magnitude >= kPowersOfTen[digits]) ++digits;
  char* const end = out + digits;
  char* p = end;
  while (magnitude >= 100) {
    const std::uint32_t pair = (magnitude % 100) * 2;
    magnitude /= 100;
    *--p = kDigitPairs[pair + 1];
    *--p = kDigitPairs[pair];
  }
  if (magnitude >= 10) {
    *--p = kDigitPairs[magnitude * 2 + 1];
    *--p = kDigitPairs[magnitude * 2];
  } else {
    *--p = static_cast<char>('0' + magnitude);
  }
  return end;
}

void AppendIntegerText(Text& out, std::int32_t n) {
  char buffer[kMaxIntegerTextSize];
  out.append(buffer, WriteIntegerText(buffer, n));
}

Text IntegerText(std::int32_t n) {
  Text out;
  AppendIntegerText(out, n);
  return out;
}

void AppendRealText(Text& out, double x) {
  // std::to_chars is defined as printf in the C locale. snprintf would follow
  // LC_NUMERIC, which the GUI toolkit sets from the user's environment, and write a
  // decimal comma into the document under many locales.
  char buffer[64];  // "%.13g" needs at most 20 characters ("-1.234567890123e-308")
  const std::to_chars_result result =
      std::to_chars(buffer, buffer + sizeof buffer, x, std::chars_format::general, 13);
  if (result.ec == std::errc{}) out.append(buffer, result.ptr);
}

Text RealText(double x) {
  Text out;
  AppendRealText(out, x);
  return out;
}

std::size_t FindAtCharacterStart(std::string_view text, std::string_view subtext,
                                 std::size_t from) {
  if (subtext.empty() || from > text.size()) return std::string_view::npos;
  std::size_t i = from;
  while (text.size() - i >= subtext.size()) {
    if (text.compare(i, subtext.size(), subtext) == 0) return i;
    if (static_cast<unsigned char>(text[i]) >= 0x80) {
      if (text.size() - i < 2) break;  // a lone lead byte at the end
      i += 2;
    } else {
      i += 1;
    }
  }
  return std::string_view::npos;
}

std::int64_t FindInText(std::string_view text, std::string_view subtext) {
  const std::size_t offset = FindAtCharacterStart(text, subtext);
  return offset == std::string_view::npos ? -1 : static_cast<std::int64_t>(offset) + 1;
}

std::vector<Text> SplitText(std::string_view text, std::string_view delimiter) {
  std::vector<Text> pieces;
  ForEachPiece(text, delimiter, [&pieces](std::string_view piece) { pieces.emplace_back(piece); });
  return pieces;
}

}  // namespace kolvane
