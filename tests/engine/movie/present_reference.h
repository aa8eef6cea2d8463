// An independent statement of where a movie frame lands on the display and
// what each pixel holds, for comparison with what the player writes.
#pragma once

#include <cstdint>
#include <vector>

struct ReferenceFrame {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::vector<std::uint16_t> pixels;  // width x height, no padding
  std::uint16_t At(std::uint32_t x, std::uint32_t y) const { return pixels[y * width + x]; }
};

// Each pixel a 2 x 2 block: copies, or with smoothing the means towards the
// right, lower and diagonal neighbours (the last column leans on itself, the
// last row is copied).
ReferenceFrame DoubledReference(const ReferenceFrame& frame, bool smooth);

// The display (rows x columns, row-major) after showing frame on an empty
// one (kBlank where nothing lands). landscape: turned by a quarter and
// centred; else stored turned, at the start for 240 x 320 and 480 x 640,
// centred otherwise. Screen width = rows, screen height = columns.
std::vector<std::uint16_t> ExpectedDisplay(const ReferenceFrame& frame, bool landscape, bool smooth,
                                           std::uint32_t rows, std::uint32_t columns, std::uint16_t blank);
