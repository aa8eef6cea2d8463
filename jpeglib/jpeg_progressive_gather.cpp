// The whole picture's quantised coefficients, gathered once for every scan
// of a progressive image.
#include <new>

#include "common/zigzag.h"

#include "jpeglib/jpeg_mcu_fill.h"
#include "jpeglib/jpeg_progressive.h"

JPEG_STATUS gatherProgressiveCoefficients(JpegWorkingState& work, JpegCoefficientStore& store) {
  const JpegFrame& frame = work.frame;
  const bool quantise = jpegMcuNeedsQuantising(work);
  const std::uint16_t* multipliers[kJpegMaxComponents] = {};
  store.blocksPerMcu = 0;
  for (int c = 0; c < frame.componentCount; ++c) {
    const JpegComponent& component = frame.components[c];
    store.firstBlock[c] = store.blocksPerMcu;
    store.blocksPerMcu += component.h * component.v;
    if (!quantise) continue;
    if (component.quantTable < 0 || component.quantTable >= 4 || !work.quant[component.quantTable].prepared) {
      return JPEG_NO_QUANT_TABLE;
    }
    multipliers[c] = work.quant[component.quantTable].multipliers;
  }

  // Sized in size_t: at the largest pictures the count passes 32 bits.
  const std::size_t mcuValues = static_cast<std::size_t>(store.blocksPerMcu) * 64;
  const std::size_t total = static_cast<std::size_t>(frame.mcuCount) * mcuValues;
  store.values.reset(new (std::nothrow) std::int16_t[total]);
  if (!store.values) return JPEG_MEMORY_ERROR;

  std::int16_t* out = store.values.get();
  for (int row = 0; row < frame.mcuRows; ++row) {
    for (int column = 0; column < frame.mcusPerRow; ++column, out += mcuValues) {
      jpegFillMcuBlocks(work, column, row, store.blocksPerMcu);
      if (quantise) {
        std::int16_t* block = work.mcuBlocks;
        for (int c = 0; c < frame.componentCount; ++c) {
          const int blocks = frame.components[c].h * frame.components[c].v;
          for (int k = 0; k < blocks; ++k, block += 64) work.table.quantize(block, multipliers[c]);
        }
      }
      for (int b = 0; b < store.blocksPerMcu; ++b) {
        const std::int16_t* block = work.mcuBlocks + b * 64;
        for (int k = 0; k < 64; ++k) out[b * 64 + k] = block[kZigzagToNatural[k]];
      }
    }
  }
  work.table.endSimd();
  return JPEG_SUCCESS;
}
