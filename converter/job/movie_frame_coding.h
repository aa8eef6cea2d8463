// One kept source frame through the frame road: scaled to the movie's
// picture, placed in its frame, turned and coded as a "JBP1" record.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "converter/jbp1/bmp_image.h"
#include "converter/jbp1/frame_coder.h"
#include "converter/jbp1/frame_rate_control.h"
#include "converter/jbp1/frame_scaler.h"
#include "converter/job/movie_frame_plan.h"

namespace reelpack {

// One thread's frame road: its coder and the images it reuses from frame to
// frame (fresh pages for each frame's pictures cost more than the coding).
struct MovieFrameWorkspace {
  CFrameCoder coder;
  FrameScaleWorkspace scale;
  BmpImage scaled;
  BmpImage placed;
  BmpImage turned;
};

// Makes image a bottom-up 24-bit image of a decoded frame (rows top to
// bottom, stride bytes apart, width pixels each), reusing its memory.
void BmpFromDecodedRows(const std::uint8_t* rows, std::uint32_t stride, int width, int height, BmpImage& image);

// The record of a source image; nothing when the road cannot code it.
std::optional<std::vector<std::uint8_t>> CodeMovieFrame(MovieFrameWorkspace& work,
                                                        std::span<const std::uint8_t> source,
                                                        const MovieFrameGeometry& frame,
                                                        const FrameRateSettings& settings);

}  // namespace reelpack
