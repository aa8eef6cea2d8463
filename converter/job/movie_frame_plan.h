// The figures a conversion job derives from its settings and the source
// before any frame is coded: the JPEG quality, the frame step and the size of
// the stored frames.
#pragma once

#include <cstdint>

namespace reelpack {

// The JPEG quality of the dialog's quality index: 100, 95, ... 5 for 0 to 19,
// 1 for 20. Indexes outside 0 to 20 are taken as the nearest end.
int BaseJpegQuality(int qualityIndex);

// How many source frames make one movie frame: mode 0 halves sources of 14
// frames per second or more, mode 2 thirds those of 9 or more, mode 1 (and
// any other) keeps every frame.
std::uint32_t FrameStep(int frameRateMode, double sourceFps);

// The movie's frame before turning: a box of boxWidth x boxHeight holding the
// scaled picture (pictureWidth x pictureHeight) centred across, on black.
struct MovieFrameGeometry {
  int boxWidth = 0;
  int boxHeight = 0;
  int pictureWidth = 0;
  int pictureHeight = 0;
  int pictureLeft = 0;  // columns of black before the picture

  bool Padded() const { return pictureWidth != boxWidth; }
};

// The frame of a width x height source at size index 0 (320 x 240) or 1
// (640 x 480; other indexes are taken as 0). The width is kept and the height
// follows the source's shape; a source taller than that box allows keeps the
// box's height, takes the width its shape gives and is centred on a black
// frame of the box's full width. 640 x 448 sources keep their own shape.
MovieFrameGeometry FitMovieFrame(int sizeIndex, int width, int height);

}  // namespace reelpack
