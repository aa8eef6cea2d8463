// Brings a decoded movie frame to the movie's size with an area-weighted box
// filter in 1/1024 fixed point: a horizontal pass of weighted sums, then a
// vertical one that divides once, so each output pixel is the truncated mean
// of the source pixels under its footprint, weighted by how much of each it
// covers (an integer ratio gives the exact truncated box mean). A footprint
// counts at most ceil(step / 1024) source pixels per direction, so one that
// straddles one more pixel than that loses the end of its weight and is
// averaged over what it counted.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "converter/jbp1/bmp_image.h"

namespace reelpack {

// A new outWidth x outHeight image whose first stored row is the top of the
// picture (the source is stored bottom-up, so the row order is reversed; a
// same-size "scale" only reverses the rows and keeps the source's headers).
// Nothing for a source that is not a sound 24-bit image or an output side of
// 0 or beyond kBmpMaxSide.
std::optional<BmpImage> ScaleFrame(std::span<const std::uint8_t> source, int outWidth, int outHeight);

// Working memory of the scaler, kept between frames.
struct FrameScaleWorkspace {
  std::vector<std::uint32_t> sums;
};

// ScaleFrame into result, reusing its memory and the workspace's; false
// where ScaleFrame gives nothing (result then unchanged).
bool ScaleFrameInto(std::span<const std::uint8_t> source, int outWidth, int outHeight, BmpImage& result,
                    FrameScaleWorkspace& work);

}  // namespace reelpack
