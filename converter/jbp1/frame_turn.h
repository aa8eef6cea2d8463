// The quarter turn that stores a movie frame in the portrait order of the
// device's display memory, so the engine copies frames without turning them.
#pragma once

#include <optional>
#include <span>

#include "converter/jbp1/bmp_image.h"

namespace reelpack {

// Turns a Ws x Hs image into an Hs x Ws one whose stored row i, pixel j is
// the source's stored row j, pixel Ws - 1 - i. Given ScaleFrame's output
// (top row first), stored row i is picture column Ws - 1 - i from the top
// down. The source is consumed; nothing for a source that is not a sound
// 24-bit image.
std::optional<BmpImage> RotateBmpImage(BmpImage&& source);

// The same turn into turned, reusing its memory; false (turned unchanged)
// where RotateBmpImage gives nothing.
bool RotateBmpImageInto(std::span<const std::uint8_t> source, BmpImage& turned);

}  // namespace reelpack
