# Writes INPUT as a byte array named kolvane::resources::SYMBOL into OUTPUT.
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" hex_length)
math(EXPR size "${hex_length} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n" bytes "${bytes}")
file(WRITE "${OUTPUT}" "#include <cstddef>\n#include <cstdint>\n#include <span>\n"
  "namespace kolvane::resources {\n"
  "namespace { const std::uint8_t kData[${size} + 1] = {\n${bytes}0};\n}\n"
  "std::span<const std::uint8_t> ${SYMBOL}() { return {kData, ${size}}; }\n"
  "}\n")
