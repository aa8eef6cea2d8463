#include "converter/job/movie_frame_plan.h"

#include <algorithm>

namespace reelpack {

int BaseJpegQuality(int qualityIndex) {
  const int index = std::clamp(qualityIndex, 0, 20);
  return index == 20 ? 1 : 100 - 5 * index;
}

std::uint32_t FrameStep(int frameRateMode, double sourceFps) {
  if (frameRateMode == 0 && sourceFps >= 14.0) return 2;
  if (frameRateMode == 2 && sourceFps >= 9.0) return 3;
  return 1;
}

MovieFrameGeometry FitMovieFrame(int sizeIndex, int width, int height) {
  const bool large = sizeIndex == 1;
  MovieFrameGeometry frame;
  frame.boxWidth = large ? 640 : 320;
  frame.boxHeight = large ? 480 : 240;
  int outWidth = frame.boxWidth;
  int outHeight = frame.boxHeight;
  if (width == 640 && height == 448) outHeight = large ? 448 : 224;
  const double across = static_cast<double>(outWidth) / width;
  if (static_cast<double>(outHeight) / height != across) {
    outHeight = std::max(1, static_cast<int>(height * across));
  }
  if (outHeight > frame.boxHeight) {
    // Taller than the box: the engine's size rules know only frames that
    // keep the box's long side, so the picture is narrowed and centred.
    outHeight = frame.boxHeight;
    outWidth = std::max(1, static_cast<int>(width * (static_cast<double>(outHeight) / height)));
    frame.pictureLeft = (frame.boxWidth - outWidth) / 2;
  } else {
    frame.boxHeight = outHeight;
  }
  frame.pictureWidth = outWidth;
  frame.pictureHeight = outHeight;
  return frame;
}

}  // namespace reelpack
