// Shared fixtures of the picture tests: a temporary folder addressed the way
// the engine addresses files, synthetic pictures, and JBP1 records.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/scoped_temp_dir.h"
#include "tools/rbp_make/rbp_writer.h"

// A fresh folder per test; screen 640 x 480 by default.
class PictureTest : public ::testing::Test {
 protected:
  void SetUp() override;

  ScopedTempDir dir_{"novel_pictures_"};
};

void SetScreenSize(std::int32_t width, std::int32_t height);

// Colours that differ in every channel from pixel to pixel; alpha runs 0..255.
SourcePicture MakeGradientPicture(std::uint32_t width, std::uint32_t height);

// A JBP1 record of a width x height picture whose blocks carry distinct DC
// values and a few AC values, so every macroblock column decodes differently.
std::vector<std::uint8_t> MakeJbpRecord(int width, int height, std::uint32_t seed);

// BuildThumbnailBitmap's image as bytes (empty when it refuses).
std::vector<std::uint8_t> ThumbnailBytes(const std::vector<std::uint16_t>& source, std::uint32_t srcW,
                                         std::uint32_t srcH, std::uint32_t dstW, std::uint32_t dstH);
// A save file: a 1,656-byte "STA1" header with the time stamp
// "2024-05-06 07:08:09" and text (cut to 256 bytes), then the bitmap.
inline constexpr std::uint32_t kSaveHeaderBytes = 1656;
std::vector<std::uint8_t> MakeSaveFile(const std::string& text, const std::vector<std::uint8_t>& bitmap);

// The same record decoded by the engine's decoder: aligned width x aligned
// height pixels.
std::vector<std::uint16_t> DecodeAligned(const std::vector<std::uint8_t>& record, std::uint32_t& alignedWidth);
