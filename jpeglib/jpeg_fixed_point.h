// Fixed-point helper shared by the fast DCT kernels.
#pragma once

#include <cstdint>

// value x constant / 32768, rounded half up.
inline std::int32_t jpegMulQ15(std::int64_t value, int constant) {
  return static_cast<std::int32_t>((value * constant + 16384) >> 15);
}
