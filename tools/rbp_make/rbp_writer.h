// Builds ".rbp" picture files from 8-bit pictures: RGB565 (kind 13), RGB565
// with alpha (kind 1), palette (kind 80), grey (kind 90), and "JBP1" colour
// (kind 30) with LZSS-packed alpha (kind 32).
#pragma once

#include <array>
#include <cstdint>
#include <vector>

struct SourcePicture {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::vector<std::uint8_t> rgba;  // 4 bytes a pixel, rows top to bottom
  // Set when the source was a palette picture: its indexes and colours.
  std::vector<std::uint8_t> indexes;
  std::vector<std::array<std::uint8_t, 3>> palette;  // red, green, blue
};

struct RbpMakeOptions {
  std::uint32_t kind = 13;
  std::int16_t designWidth = 0;
  std::int16_t designHeight = 0;
  int quality = 85;  // JPEG quality of kinds 30 and 32
};

// The design size the engine expects of a picture made for a screen of
// screenWidth x screenHeight (the design space being 800 x 600).
std::array<std::int16_t, 2> DesignSizeFor(std::uint32_t width, std::uint32_t height, std::uint32_t screenWidth,
                                          std::uint32_t screenHeight);

// Throws std::invalid_argument for an empty or oversized picture, an unknown
// kind, a kind this maker cannot code, (kind 80) more than 256 colours, or
// (kinds 30 and 32) a quality out of 1..100.
std::vector<std::uint8_t> BuildRbpFile(const SourcePicture& picture, const RbpMakeOptions& options);

// Kind 30, or kind 32 when alpha (w x h bytes of 0..255) is given, around a
// JBP1 record of a width x height picture.
std::vector<std::uint8_t> BuildJbpRbpFile(const std::vector<std::uint8_t>& record, std::uint32_t width,
                                          std::uint32_t height, const std::uint8_t* alpha, std::int16_t designWidth,
                                          std::int16_t designHeight);
