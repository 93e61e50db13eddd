#pragma once
// Files compiled into the program (see resources/make_resources.py).
#include <cstdint>
#include <span>

namespace kolvane::resources {

// The built-in picture of the picture canvas: a 500 x 600 baseline JFIF JPEG.
std::span<const std::uint8_t> builtin_picture();
// The program's icon: one 48 x 48 image, 32 bits per pixel.
std::span<const std::uint8_t> program_icon();
// The small picture beside the link: a 21 x 21 GIF89a, colour 15 transparent.
std::span<const std::uint8_t> link_picture();
// The fontconfig rules that give the face name "宋体" a Song-style face.
std::span<const std::uint8_t> font_alias();

}  // namespace kolvane::resources
