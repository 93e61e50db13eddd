#pragma once
// The value types every part of Kolvane shares.
#include <cstdint>
#include <string>
#include <vector>

namespace kolvane {

// A text: bytes in code page 936 (GBK), no length limit, empty = no text.
using Text = std::string;

// A run of bytes: file contents, background pictures.
using ByteBlock = std::vector<std::uint8_t>;

// A colour laid out 0x00BBGGRR (red in the low byte).
using Colour = std::uint32_t;

// What a pixel read gives for a point the canvas does not show.
inline constexpr Colour kUnreadableColour = 0xFFFFFFFF;

// In a background-colour setting: the system's button-face colour.
// In a text-background setting: transparent.
inline constexpr Colour kSystemColourMarker = 0xFF000000;

constexpr std::uint8_t RedOf(Colour c) { return static_cast<std::uint8_t>(c & 0xFF); }
constexpr std::uint8_t GreenOf(Colour c) { return static_cast<std::uint8_t>((c >> 8) & 0xFF); }
constexpr std::uint8_t BlueOf(Colour c) { return static_cast<std::uint8_t>((c >> 16) & 0xFF); }
constexpr Colour MakeColour(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  return Colour{r} | (Colour{g} << 8) | (Colour{b} << 16);
}

}  // namespace kolvane
