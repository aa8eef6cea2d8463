// Pixels of PNG screenshots, as the RGB565 the display held.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The pixel at (x, y) of the PNG at path; a test failure and 0 when the file
// cannot be read or is smaller.
std::uint16_t ScreenshotPixel(const std::string& path, std::uint32_t x, std::uint32_t y);
// The pixel at the centre.
std::uint16_t ScreenshotCentrePixel(const std::string& path);
// Every pixel, row by row, and the width; empty (and a test failure) when
// the file cannot be read.
std::vector<std::uint16_t> ScreenshotPixels(const std::string& path, std::uint32_t* width);
