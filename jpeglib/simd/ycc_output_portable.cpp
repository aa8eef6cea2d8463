// Portable forms of the SIMD classes' 4:2:0 output kernels: the lane
// arithmetic pixel by pixel.
#include "jpeglib/jpeg_ycc_mcu.h"
#include "jpeglib/simd/simd_kernels.h"

namespace simd_portable {

void writeBgr420Lanes(const std::uint8_t* y, const std::uint8_t* cb, const std::uint8_t* cr,
                      std::ptrdiff_t planeStride, std::uint8_t* out, std::ptrdiff_t stride) {
  writeYcc420<yccToRgbLanes, true>(y, cb, cr, planeStride, out, stride);
}

void writeRgb420Lanes(const std::uint8_t* y, const std::uint8_t* cb, const std::uint8_t* cr,
                      std::ptrdiff_t planeStride, std::uint8_t* out, std::ptrdiff_t stride) {
  writeYcc420<yccToRgbLanes, false>(y, cb, cr, planeStride, out, stride);
}

}  // namespace simd_portable
