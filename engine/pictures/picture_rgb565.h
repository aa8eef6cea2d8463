// RGB565 channels as 8-bit values (low bits zero) and back.
#pragma once

#include <cstdint>

inline std::uint32_t Red8(std::uint16_t p) { return (p >> 8) & 0xF8; }
inline std::uint32_t Green8(std::uint16_t p) { return (p >> 3) & 0xFC; }
inline std::uint32_t Blue8(std::uint16_t p) { return (p << 3) & 0xFF; }

inline std::uint16_t PackRgb565(std::uint32_t red8, std::uint32_t green8, std::uint32_t blue8) {
  return static_cast<std::uint16_t>(((red8 & 0xF8) << 8) | ((green8 & 0xFC) << 3) | ((blue8 & 0xFF) >> 3));
}
