// Pictures, rule pictures and archives for the raster, compositor and rule
// transition tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/pictures/picture_object.h"
#include "tests/support/rule_picture.h"
#include "tests/support/scoped_temp_dir.h"

using PixelAt = std::function<std::uint16_t(int x, int y)>;
using ByteAt = std::function<std::uint8_t(int x, int y)>;

std::unique_ptr<CImage> MakeRgb565Picture(int width, int height, const PixelAt& pixel);
std::unique_ptr<CImage> MakeAlphaPicture(int width, int height, const PixelAt& pixel, const ByteAt& alpha);
// Kind 8 over palette entries given as 0xRRGGBB.
std::unique_ptr<CImage> MakePalettePicture(int width, int height, const ByteAt& index,
                                           const std::vector<std::uint32_t>& colors);
// Gives an alpha picture a mask plane of width x height bytes over the screen.
void AddMaskPlane(CImage& picture, int width, int height, const ByteAt& mask);

// The engine clock held at a value the test sets.
class TestClock {
 public:
  TestClock();
  ~TestClock();
  void Set(std::uint32_t ms);
};

// A fresh folder per test, removed afterwards.
class TempFolder {
 public:
  // Writes an ".mlz" archive of the entries and returns its engine path.
  std::string WriteArchive(const std::string& fileName,
                           const std::vector<std::pair<std::string, std::vector<std::uint8_t>>>& entries) const;

 private:
  ScopedTempDir dir_{"novel_raster"};
};
