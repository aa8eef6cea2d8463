// Design-space helpers of the screens: rectangles given in the 800 x 600
// design space turned into screen pixels, and the stylus hit test.
#pragma once

#include <cstdint>

#include "host/window/window_api.h"

// A design x (or width) in screen px: x * screen width / design width,
// truncating toward zero; y (or height) by the heights.
std::int32_t DesignXToScreen(std::int32_t x);
std::int32_t DesignYToScreen(std::int32_t y);
// left = x * screen width / design width, right = left + w * screen width /
// design width (each product divided on its own); y and h by the heights.
RECT DesignRectToScreen(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h);
// 1 when (px, py), in screen pixels, lies inside the design rectangle
// (x, y, w, h) turned to the screen, its right and bottom edges included.
int IsPointInDesignRect(std::int32_t px, std::int32_t py, std::int32_t x, std::int32_t y, std::int32_t w,
                        std::int32_t h);
