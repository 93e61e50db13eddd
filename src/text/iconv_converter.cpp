#include "text/iconv_converter.h"

#include <cerrno>

namespace kolvane {

IconvConverter::IconvConverter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}

IconvConverter::~IconvConverter() {
  if (Ok()) iconv_close(cd_);
}

bool IconvConverter::Ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

bool IconvConverter::Convert(std::string_view in, std::string& out, HeldBack held_back) {
  iconv(cd_, nullptr, nullptr, nullptr, nullptr);
  char* in_ptr = const_cast<char*>(in.data());
  std::size_t in_left = in.size();
  char buffer[256];
  while (in_left > 0) {
    char* out_ptr = buffer;
    std::size_t out_left = sizeof buffer;
    const std::size_t r = iconv(cd_, &in_ptr, &in_left, &out_ptr, &out_left);
    out.append(buffer, static_cast<std::size_t>(out_ptr - buffer));
    if (r == static_cast<std::size_t>(-1) && errno != E2BIG) return false;
  }
  if (held_back == HeldBack::kAppend) {
    char* out_ptr = buffer;
    std::size_t out_left = sizeof buffer;
    iconv(cd_, nullptr, nullptr, &out_ptr, &out_left);
    out.append(buffer, static_cast<std::size_t>(out_ptr - buffer));
  }
  return true;
}

}  // namespace kolvane
