#include "jpeglib/jpeg_ycc_mcu.h"

void writeBgr420Plain(const std::uint8_t* y, const std::uint8_t* cb, const std::uint8_t* cr,
                      std::ptrdiff_t planeStride, std::uint8_t* out, std::ptrdiff_t stride) {
  writeYcc420<yccToRgbFast, true>(y, cb, cr, planeStride, out, stride);
}

void writeRgb420Plain(const std::uint8_t* y, const std::uint8_t* cb, const std::uint8_t* cr,
                      std::ptrdiff_t planeStride, std::uint8_t* out, std::ptrdiff_t stride) {
  writeYcc420<yccToRgbFast, false>(y, cb, cr, planeStride, out, stride);
}
