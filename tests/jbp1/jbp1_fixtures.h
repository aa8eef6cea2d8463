// Test pictures for the "JBP1" record: synthetic colour pictures, a
// floating-point JPEG-style coder that turns them into quantised 4:2:0
// blocks, seeded random blocks with the statistics of real pictures, and a
// floating-point reference decoder to judge the engine's decoder against.
#pragma once

#include <cstdint>
#include <vector>

#include "converter/jbp1/jbp1_record_writer.h"

struct Rgb {
  double r = 0;
  double g = 0;
  double b = 0;
};

struct TestPicture {
  int width = 0;
  int height = 0;
  std::vector<Rgb> pixels;  // row-major, width x height
};

// Quantised blocks in stream order with the tables that made them.
struct QuantisedPicture {
  int width = 0;
  int height = 0;
  std::vector<std::int16_t> blocks;
  std::uint8_t luma[64] = {};
  std::uint8_t chroma[64] = {};

  reelpack::JbpPictureSource Source(int quality = 75) const;
};

TestPicture MakeFlatPicture(int width, int height, Rgb colour);
// Gradients, sharp edges and texture: every coefficient band gets used.
TestPicture MakeScenePicture(int width, int height, std::uint32_t seed);

// The standard JPEG tables at the given quality (natural order).
void MakeQuantisers(int quality, std::uint8_t luma[64], std::uint8_t chroma[64]);
QuantisedPicture QuantisePicture(const TestPicture& picture, int quality);
// Blocks of a picture of the given size with the value statistics of real
// quantised pictures: most energy low, long zero runs, the odd large value.
QuantisedPicture MakeRandomBlocks(int width, int height, std::uint32_t seed);

// Floating-point decode of quantised blocks to 8-bit RGB over the aligned
// size (each chroma sample serving its 2 x 2 pixels).
std::vector<Rgb> ReferenceDecode(const QuantisedPicture& picture);

std::vector<std::uint8_t> WriteRecord(const QuantisedPicture& picture);

// The 8-bit channels of an RGB565 pixel, each widened by repeating its top bits.
Rgb Expand565(std::uint16_t pixel);
