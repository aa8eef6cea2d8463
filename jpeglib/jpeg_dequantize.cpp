#include <array>
#include <cmath>

#include "jpeglib/jpeg_decode_kernels.h"
#include "jpeglib/jpeg_tables.h"

namespace {

// Scale of the fast inverse DCT per frequency: 1, then sqrt(2) cos(k pi / 16).
double aanScale(int k) { return k == 0 ? 1.0 : std::sqrt(2.0) * std::cos(k * M_PI / 16.0); }

// The eight scales, worked out once rather than for every table of every
// read.
const double* aanScales() {
  static const auto scales = [] {
    std::array<double, 8> s{};
    for (int k = 0; k < 8; ++k) s[k] = aanScale(k);
    return s;
  }();
  return scales.data();
}

}  // namespace

void prepareDequantTablePlain(const std::uint16_t zigzag[64], std::int32_t table[80]) {
  for (int i = 0; i < 64; ++i) table[kZigzagToNatural[i]] = zigzag[i];
  for (int i = 64; i < 80; ++i) table[i] = 0;
}

void prepareDequantTableScaled(const std::uint16_t zigzag[64], std::int32_t table[80]) {
  const double* scales = aanScales();
  for (int i = 0; i < 64; ++i) {
    const int natural = kZigzagToNatural[i];
    const double factor = zigzag[i] * 2048.0 * scales[natural >> 3] * scales[natural & 7] / 8.0 + 0.5;
    // Held in 32 bits: a large quantiser at a low frequency passes 16 bits.
    table[natural] = factor < 1.0 ? 0 : static_cast<std::int32_t>(factor);
  }
  for (int i = 64; i < 80; ++i) table[i] = 0;
}

void prepareDequantFactors(const std::int32_t table[80], std::int16_t factors[64]) {
  for (int i = 0; i < 64; ++i) factors[i] = static_cast<std::int16_t>(table[i]);
}

void dequantizeAccurate(std::int16_t block[64], const std::int32_t table[80]) {
  // A 16-bit product, as the accurate inverse DCT takes it.
  for (int i = 0; i < 64; ++i) block[i] = static_cast<std::int16_t>(block[i] * table[i]);
}

void dequantizeFast(std::int16_t block[64], const std::int32_t table[80]) {
  for (int i = 0; i < 64; ++i) {
    block[i] = static_cast<std::int16_t>((static_cast<std::int64_t>(block[i]) * table[i] + 64) >> 7);
  }
}
