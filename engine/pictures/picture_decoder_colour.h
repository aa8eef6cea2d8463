// YCbCr 4:2:0 to RGB565 for one decoded macroblock. Each channel's clamp
// table maps a level-shifted luma sample plus its chroma term straight to the
// channel's RGB565 bits, saturating at 0 and 255.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>

class PictureClampTables {
 public:
  // size entries (at most 768), entry firstSample holding the bits of sample
  // value 0: the still path uses 768 entries from sample -256, the movie path
  // 512 from sample -128. Values beyond a table read its end entries.
  void Build(int size, int firstSample);

  // value is level-shifted: sample value - 128.
  std::uint16_t Red(int value) const { return red_[Index(value)]; }
  std::uint16_t Green(int value) const { return green_[Index(value)]; }
  std::uint16_t Blue(int value) const { return blue_[Index(value)]; }

  // True when every channel is the sample clamped to 0..255, as both paths'
  // tables are: conversion may then clamp arithmetically instead.
  bool ClampsWholeRange() const { return firstSample_ >= 0 && size_ - 1 - firstSample_ >= 255; }

 private:
  static constexpr int kMaxSize = 768;

  std::size_t Index(int value) const {
    return static_cast<std::size_t>(std::clamp(value + 128 + firstSample_, 0, size_ - 1));
  }

  int size_ = 1;
  int firstSample_ = 0;
  std::array<std::uint16_t, kMaxSize> red_{};
  std::array<std::uint16_t, kMaxSize> green_{};
  std::array<std::uint16_t, kMaxSize> blue_{};
};

// blocks: Y0, Y1, Y2, Y3, Cb, Cr samples after the inverse DCT. out points at
// the macroblock's top-left pixel; rows are stride pixels apart.
// The definition:
void ConvertMacroblockPortable(const std::int16_t blocks[6][64], const PictureClampTables& tables, std::uint16_t* out,
                               std::size_t stride);
// The same pixels, a row of eight at a time in SSE2 registers, for tables
// that clamp the whole range; other tables take the portable form.
void ConvertMacroblockSse2(const std::int16_t blocks[6][64], const PictureClampTables& tables, std::uint16_t* out,
                           std::size_t stride);
// The fastest of the above this build has.
void ConvertMacroblock(const std::int16_t blocks[6][64], const PictureClampTables& tables, std::uint16_t* out,
                       std::size_t stride);
