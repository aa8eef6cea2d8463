// Output of a decoded picture: vertical chroma up-sampling inside the
// picture's own chroma planes and the conversion to BGR24 rows.
#pragma once

#include <cstdint>

namespace reelpack {

struct MPEG_COLOUR_PARAMS {
  int width;         // pixels written per row
  int height;        // rows written
  int lumaStride;    // coded width, the row stride of every plane
  int outStride;     // bytes per output row
  int chromaOffset;  // where a row's up-sampled chroma starts in its plane row
  int lumaOffset;
  int lumaScale;
  int cbu, cgu, cgv, crv;  // 16-bit fractions: blue/Cb, green/Cb, green/Cr, red/Cr
};

// MPEG-1 video carries no colour description: the matrix-0 coefficients.
void colourParamsForPicture(int width, int height, int codedWidth, MPEG_COLOUR_PARAMS& params);

// A chroma plane of codedWidth x codedHeight bytes holds the 4:2:0 samples
// in the left half of its first codedHeight / 2 rows; this fills the right
// half of every row with the vertically interpolated samples, leaving the
// left half (the reference) as it is.
void upsampleChromaFrame(std::uint8_t* plane, int codedWidth, int codedHeight);

// Blue, green, red bytes of width pixels per row, height rows outStride
// apart; bytes past 3 x width of each row are left alone.
void convertToRgb24(const std::uint8_t* luma, const std::uint8_t* cb, const std::uint8_t* cr, std::uint8_t* buffer,
                    const MPEG_COLOUR_PARAMS& params);

}  // namespace reelpack
