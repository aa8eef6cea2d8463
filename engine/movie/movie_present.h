// Writing a decoded movie frame into portrait display memory: a landscape
// frame turned by a quarter, a frame stored turned as it stands; doubled on
// large screens (optionally smoothed), placed on the screen area and cropped
// to it, so nothing outside that area is ever written.
#pragma once

#include <cstddef>
#include <cstdint>

struct MovieFrame {
  const std::uint16_t* pixels = nullptr;
  std::size_t pitchPixels = 0;  // from one row to the next
  std::uint32_t width = 0;
  std::uint32_t height = 0;
};

// The screen area of display memory. Landscape screen point (X, Y) is at
// base + (width - 1 - X) * yPitch + Y * xPitch: portrait row r runs along
// the landscape height, and there are `width` of them. A display smaller than
// the screen holds only its first shownRows rows of shownColumns pixels:
// frames are placed on the whole screen and cut to that part.
struct MovieScreen {
  std::uint8_t* base = nullptr;
  std::ptrdiff_t xPitch = 0;
  std::ptrdiff_t yPitch = 0;
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::uint32_t shownRows = UINT32_MAX;
  std::uint32_t shownColumns = UINT32_MAX;
};

// RGB565 means of two and four pixels, per channel: the rounded-down halves
// (quarters) summed, with the low bits all inputs share set in.
constexpr std::uint16_t Average2(std::uint16_t a, std::uint16_t b) {
  return static_cast<std::uint16_t>((((a & 0xF7DEu) + (b & 0xF7DEu)) >> 1) | (a & b & 0x0821u));
}
constexpr std::uint16_t Average4(std::uint16_t a, std::uint16_t b, std::uint16_t c, std::uint16_t d) {
  return static_cast<std::uint16_t>((((a & 0xE79Cu) + (b & 0xE79Cu) + (c & 0xE79Cu) + (d & 0xE79Cu)) >> 2) |
                                    (a & b & c & d & 0x1863u));
}

// Whether a frame whose side along the screen's width is `side` (a landscape
// frame's width, a turned frame's height) shows on a screen this wide.
bool MovieFrameShows(std::uint32_t side, std::uint32_t screenWidth);
// A landscape frame, centred: doubled when it is narrower than 640 on a
// screen 640 or more wide, else 1:1; one 640 or more wide shows only on a
// screen exactly 640 wide.
void PresentLandscapeFrame(const MovieFrame& frame, const MovieScreen& screen, bool smooth);
// A frame stored turned (rows along the portrait rows): doubled when it has
// fewer than 640 rows on a screen 640 or more wide, else 1:1; 640 or more
// rows show only on a screen exactly 640 wide. The 240 x 320 and 480 x 640
// frames start at the display's start, other sizes are centred.
void PresentTurnedFrame(const MovieFrame& frame, const MovieScreen& screen, bool smooth);
// Every pixel of the screen area black.
void ClearMovieScreen(const MovieScreen& screen);
