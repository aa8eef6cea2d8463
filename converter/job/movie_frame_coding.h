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
#include "converter/job/movie_frame_plan.h"

namespace reelpack {

// A bottom-up 24-bit image of a decoded frame: rows top to bottom, stride
// bytes apart, width pixels each.
BmpImage BmpFromDecodedRows(const std::uint8_t* rows, std::uint32_t stride, int width, int height);

// The record of a source image; nothing when the road cannot code it.
std::optional<std::vector<std::uint8_t>> CodeMovieFrame(CFrameCoder& coder, std::span<const std::uint8_t> source,
                                                        const MovieFrameGeometry& frame,
                                                        const FrameRateSettings& settings);

}  // namespace reelpack
