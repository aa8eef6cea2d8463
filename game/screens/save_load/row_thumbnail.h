// A save's thumbnail as the save/load screen shows it: always this screen's
// 100 x 75 design box. Both screen sizes share one save folder, so a save
// may hold a thumbnail made at the other size.
#pragma once

#include <cstdint>

class CImage;

// Resamples image to w x h device pixels in place when it has another size:
// each new pixel is the average of the source pixels its area covers (at
// least the one under it). 1, or 0 when memory runs out (image left empty).
int FitThumbnail(CImage& image, std::uint32_t w, std::uint32_t h);
