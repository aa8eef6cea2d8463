// The video decoder's 8 x 8 inverse DCT in 16-bit fixed point: a row pass
// with per-row scaled cosine tables and a column butterfly on tangents.
#pragma once

#include <cstdint>

namespace reelpack {

// In place on 64 coefficients in natural order; the result is residuals or
// samples before saturation to 0..255.
void inverseDct(std::int16_t* block);

}  // namespace reelpack
