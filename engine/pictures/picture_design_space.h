// Design-space helpers of the screens: rectangles given in the 800 x 600
// design space turned into screen pixels, and the stylus hit test.
#pragma once

#include <cstdint>

#include "host/window/window_api.h"

// A design x or width (y or height) in screen pixels: v * screen width /
// design width, multiplied first and truncated toward zero.
std::int32_t DesignXToScreen(std::int32_t v);
std::int32_t DesignYToScreen(std::int32_t v);
// left = x * screen width / design width, right = left + w * screen width /
// design width (each product divided on its own); y and h by the heights.
RECT DesignRectToScreen(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h);
// 1 when (px, py), in screen pixels, lies inside the design rectangle
// (x, y, w, h) turned to the screen, its right and bottom edges included.
int IsPointInDesignRect(std::int32_t px, std::int32_t py, std::int32_t x, std::int32_t y, std::int32_t w,
                        std::int32_t h);
