#include "text/codepage.h"

#include <cstring>

#include "text/iconv_converter.h"

namespace kolvane {
namespace {

// Length of the UTF-8 sequence a lead byte starts; 1 for a stray byte.
std::size_t Utf8SequenceLength(unsigned char lead) {
  if (lead < 0x80) return 1;
  if ((lead & 0xE0) == 0xC0) return 2;
  if ((lead & 0xF0) == 0xE0) return 3;
  if ((lead & 0xF8) == 0xF0) return 4;
  return 1;
}

}  // namespace

Text Cp936FromUtf8(std::string_view utf8) {
  static IconvConverter converter("CP936", "UTF-8");
  Text out;
  out.reserve(utf8.size());
  std::size_t i = 0;
  while (i < utf8.size()) {
    const unsigned char c = static_cast<unsigned char>(utf8[i]);
    if (c < 0x80) {  // ASCII is the same in both
      out.push_back(static_cast<char>(c));
      ++i;
      continue;
    }
    std::size_t n = Utf8SequenceLength(c);
    if (i + n > utf8.size()) n = utf8.size() - i;
    std::string converted;
    if (converter.Ok() && converter.Convert(utf8.substr(i, n), converted) && !converted.empty()) {
      out += converted;
    } else {
      out.push_back('?');
    }
    i += n;
  }
  return out;
}

std::u32string CodePointsFromCp936(std::string_view cp936) {
  static IconvConverter converter("UTF-32LE", "CP936");
  std::u32string out;
  out.reserve(cp936.size());
  std::size_t i = 0;
  while (i < cp936.size()) {
    const unsigned char c = static_cast<unsigned char>(cp936[i]);
    if (c < 0x80) {
      out.push_back(c);
      ++i;
      continue;
    }
    const std::size_t n = (c >= 0x81 && c <= 0xFE && i + 1 < cp936.size()) ? 2 : 1;
    std::string converted;
    if (converter.Ok() && converter.Convert(cp936.substr(i, n), converted) &&
        converted.size() == 4) {
      char32_t cp;
      std::memcpy(&cp, converted.data(), 4);
      out.push_back(cp);
    } else {
      out.push_back(U'\uFFFD');
    }
    i += n;
  }
  return out;
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

std::string Utf8FromCp936(std::string_view cp936) {
  std::string out;
  out.reserve(cp936.size() * 3 / 2);
  for (char32_t cp : CodePointsFromCp936(cp936)) AppendUtf8(out, cp);
  return out;
}

}  // namespace kolvane
