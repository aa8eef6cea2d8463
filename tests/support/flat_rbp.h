// One-colour ".rbp" pictures for tests whose expected pixels are worked out
// by hand.
#pragma once

#include <cstdint>
#include <vector>

// An RGB565 ".rbp" of width x height pixels of colour (r, g, b), with the
// design size of a picture made for a 640 x 480 screen.
std::vector<std::uint8_t> FlatRbp(std::uint32_t width, std::uint32_t height, std::uint8_t r, std::uint8_t g,
                                  std::uint8_t b);
