// Design-space helpers of the screens: rectangles given in the 800 x 600
// design space turned into screen pixels, the stylus hit test, and the test
// for the three inputs that advance a screen.
#pragma once

#include <cstdint>

struct ScreenRect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;  // exclusive
  std::int32_t bottom = 0;
};

// left = x * screen width / design width, right = left + w * screen width /
// design width (each product divided on its own); y and h by the heights.
ScreenRect DesignRectToScreen(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h);
// 1 when (px, py), in screen pixels, lies inside the design rectangle
// (x, y, w, h) turned to the screen, its right and bottom edges included.
int IsPointInDesignRect(std::int32_t px, std::int32_t py, std::int32_t x, std::int32_t y, std::int32_t w,
                        std::int32_t h);

// Input-state words that count as an advance input when they equal 1, in the
// order they are tested: stylus pressed this frame, the C key, the right key.
inline constexpr int kAdvanceInputWords[3] = {17, 5, 3};
int IsAdvanceInputDown(const std::uint32_t* inputWords);
