// Generic colour-converting MCU routines for the layouts without a dedicated
// converter: four-byte pixels to three-component YCbCr (chroma from the
// averaged R, G, B of the pixels a sample covers), and three-byte RGB or BGR
// pixels to a luma-only JPEG. Edges repeat the last column and row.
#include "jpeglib/jpeg_mcu_convert.h"
#include "jpeglib/jpeg_mcu_place.h"

namespace {

struct RgbFetch {
  const std::uint8_t* origin;
  std::ptrdiff_t stride;
  int bytesPerPixel;
  int validWidth;
  int validHeight;
  int r, g, b;    // byte positions
  bool invert;  // code the complement (four-channel pictures other than RGB)

  void operator()(int x, int y, int& red, int& green, int& blue) const {
    const std::uint8_t* pixel =
        origin + std::min(y, validHeight - 1) * stride + std::min(x, validWidth - 1) * bytesPerPixel;
    red = pixel[r];
    green = pixel[g];
    blue = pixel[b];
    if (invert) {
      red = 255 - red;
      green = 255 - green;
      blue = 255 - blue;
    }
  }
};

RgbFetch fetchFor(const JpegWorkingState& work, int column, int row) {
  const JpegMcuPlace place =
      jpegPlaceMcu(work, column, row, work.frame.mcuWidth, work.frame.mcuHeight, work.source.channels);
  const bool bgr = work.source.color == JPEG_COLOR_BGR;
  return {place.origin, work.source.stride, work.source.channels, place.validWidth, place.validHeight,
          bgr ? 2 : 0,  1, bgr ? 0 : 2, work.source.channels == 4 && work.source.color != JPEG_COLOR_RGB};
}

}  // namespace

void convertMcuGenericColour(JpegWorkingState& work, int column, int row) {
  const JpegFrame& frame = work.frame;
  const RgbFetch fetch = fetchFor(work, column, row);
  std::int16_t* blocks = work.mcuBlocks;
  const JpegComponent& luma = frame.components[0];
  for (int y = 0; y < 8 * luma.v; ++y) {
    for (int x = 0; x < 8 * luma.h; ++x) {
      int r, g, b;
      fetch(x * frame.hMax / luma.h, y * frame.vMax / luma.v, r, g, b);
      blocks[jpegBlockSample(x, y, luma.h)] = static_cast<std::int16_t>(jpegLuma(r, g, b));
    }
  }
  blocks += luma.h * luma.v * 64;
  // Both chroma components share their factors in every layout that gets here.
  const JpegComponent& chroma = frame.components[1];
  const int cellWidth = frame.hMax / chroma.h, cellHeight = frame.vMax / chroma.v;
  const int cell = cellWidth * cellHeight;
  std::int16_t* cb = blocks;
  std::int16_t* cr = blocks + chroma.h * chroma.v * 64;
  for (int y = 0; y < 8 * chroma.v; ++y) {
    for (int x = 0; x < 8 * chroma.h; ++x) {
      int sr = 0, sg = 0, sb = 0;
      for (int j = 0; j < cellHeight; ++j) {
        for (int i = 0; i < cellWidth; ++i) {
          int r, g, b;
          fetch(x * cellWidth + i, y * cellHeight + j, r, g, b);
          sr += r;
          sg += g;
          sb += b;
        }
      }
      const int r = (sr + cell / 2) / cell, g = (sg + cell / 2) / cell, b = (sb + cell / 2) / cell;
      cb[jpegBlockSample(x, y, chroma.h)] = static_cast<std::int16_t>(jpegCb(r, g, b));
      cr[jpegBlockSample(x, y, chroma.h)] = static_cast<std::int16_t>(jpegCr(r, g, b));
    }
  }
}

void convertMcuToGrey(JpegWorkingState& work, int column, int row) {
  const RgbFetch fetch = fetchFor(work, column, row);
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) {
      int r, g, b;
      fetch(x, y, r, g, b);
      work.mcuBlocks[y * 8 + x] = static_cast<std::int16_t>(jpegLuma(r, g, b));
    }
  }
}
