#include "jpeglib/jpeg_block_kernels.h"

void quantizeAccurate(std::int16_t* __restrict block, const std::uint16_t* __restrict multipliers) {
  for (int i = 0; i < 64; ++i) {
    const std::int32_t product = block[i] * static_cast<std::int32_t>(multipliers[i]);
    block[i] = static_cast<std::int16_t>((product + 16384) >> 15);
  }
}

void quantizeFast(std::int16_t* __restrict block, const std::uint16_t* __restrict multipliers) {
  for (int i = 0; i < 64; ++i) {
    const std::int32_t product = block[i] * static_cast<std::int32_t>(static_cast<std::int16_t>(multipliers[i]));
    block[i] = static_cast<std::int16_t>((product + 16384) >> 15);
  }
}
