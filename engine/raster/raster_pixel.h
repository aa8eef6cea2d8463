// Per-pixel arithmetic of the RGB565 raster members. A 64-level blend splits
// a pixel into its red-blue pair (0xF81F) and green (0x07E0) so that one
// multiplication serves two channels; 256-level blends and saturating adds
// work on 8-bit channels.
#pragma once

#include <algorithm>
#include <cstdint>

#include "engine/pictures/picture_rgb565.h"

inline constexpr std::uint32_t kRedBlueMask = 0xF81F;
inline constexpr std::uint32_t kGreenMask = 0x07E0;
// Alpha planes and opacity weights blend over this many levels.
inline constexpr std::uint32_t kBlendLevels = 64;
// The alpha value that means "opaque" on a 64-level plane.
inline constexpr std::uint32_t kAlphaOpaque = 63;

// 0xRRGGBB as a pixel: the top 5, 6 and 5 bits of red, green and blue.
inline std::uint16_t ColorToRgb565(std::uint32_t rgb) {
  return PackRgb565((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

// s weighted w of 64 against d weighted 64 - w; w is 0..64. The red-blue
// pair and green are blended apart, so no channel carries into another.
inline std::uint16_t Blend64(std::uint32_t s, std::uint32_t d, std::uint32_t w) {
  const std::uint32_t rest = kBlendLevels - w;
  const std::uint32_t redBlue = (((s & kRedBlueMask) * w + (d & kRedBlueMask) * rest) >> 6) & kRedBlueMask;
  const std::uint32_t green = (((s & kGreenMask) * w + (d & kGreenMask) * rest) >> 6) & kGreenMask;
  return static_cast<std::uint16_t>(redBlue | green);
}

// Blend64 worked channel by channel: every product stays below 2,048, so
// the whole blend fits 16-bit steps and the compiler can run fixed-length
// loops of it on many pixels at once. The results are the same.
inline std::uint16_t Blend64Lanes(std::uint16_t s, std::uint16_t d, std::uint16_t w) {
  const auto rest = static_cast<std::uint16_t>(kBlendLevels - w);
  const auto red = static_cast<std::uint16_t>(((s >> 11) * w + (d >> 11) * rest) >> 6);
  const auto green = static_cast<std::uint16_t>((((s >> 5) & 63) * w + ((d >> 5) & 63) * rest) >> 6);
  const auto blue = static_cast<std::uint16_t>(((s & 31) * w + (d & 31) * rest) >> 6);
  return static_cast<std::uint16_t>(red << 11 | green << 5 | blue);
}

// An opacity of 0..256 as a weight of 64 levels.
inline std::uint32_t OpacityWeight(int opacity) { return static_cast<std::uint32_t>(opacity) >> 2; }

// Pictures whose alpha bytes were kept at 0..255 would weigh more than the
// 64 levels a blend has; such values count as opaque.
inline std::uint32_t AlphaWeight(std::uint32_t alpha) { return std::min(alpha, kAlphaOpaque); }

// s over d through a 64-level alpha: 0 keeps d, 63 (or more) gives s.
inline std::uint16_t AlphaPixel(std::uint32_t s, std::uint32_t d, std::uint32_t alpha) {
  return Blend64(s, d, alpha >= kAlphaOpaque ? kBlendLevels : alpha);
}

// One 8-bit channel of a 256-level blend; a is 0..256.
inline std::uint32_t BlendChannel256(std::uint32_t s8, std::uint32_t d8, std::uint32_t a) {
  return (s8 * a + d8 * (256 - a)) >> 8;
}

// One 8-bit channel of a saturating add of s8 scaled by k / 256.
inline std::uint32_t AddChannel(std::uint32_t d8, std::uint32_t s8, std::uint32_t k) {
  return std::min<std::uint32_t>(d8 + ((s8 * k) >> 8), 255);
}

// The pixel of 8-bit channels r, g, b blended over d with a of 256.
inline std::uint16_t BlendChannels256(std::uint32_t r, std::uint32_t g, std::uint32_t b, std::uint16_t d,
                                      std::uint32_t a) {
  return PackRgb565(BlendChannel256(r, Red8(d), a), BlendChannel256(g, Green8(d), a),
                    BlendChannel256(b, Blue8(d), a));
}

// d plus the 8-bit channels r, g, b scaled by k / 256, each saturating at 255.
inline std::uint16_t AddChannels(std::uint16_t d, std::uint32_t r, std::uint32_t g, std::uint32_t b,
                                 std::uint32_t k) {
  return PackRgb565(AddChannel(Red8(d), r, k), AddChannel(Green8(d), g, k), AddChannel(Blue8(d), b, k));
}

inline std::uint16_t Blend256(std::uint16_t s, std::uint16_t d, std::uint32_t a) {
  return BlendChannels256(Red8(s), Green8(s), Blue8(s), d, a);
}

inline std::uint16_t AddSaturate(std::uint16_t d, std::uint16_t s, std::uint32_t k) {
  return AddChannels(d, Red8(s), Green8(s), Blue8(s), k);
}
