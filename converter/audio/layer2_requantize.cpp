#include "converter/audio/layer2_requantize.h"

#include <algorithm>
#include <bit>

#include "converter/audio/layer2_tables.h"

namespace reelpack {

using namespace layer2;

std::int32_t Requantize(std::uint32_t v, int quantClass, int scaleIndex) {
  const QuantClass& q = kQuantClasses[quantClass];
  // 64-bit products: near full scale they reach 2^31. h is a power of two,
  // so (v - h) * 32768 / h is exact as a multiplication.
  const std::int64_t x = (static_cast<std::int64_t>(v) - q.h) *
                         (std::int64_t{32768} >> std::countr_zero(static_cast<std::uint32_t>(q.h)));
  const std::int64_t y = ((x + q.d) * q.c) >> 15;
  const std::int64_t sample = (y * kScaleFactors[scaleIndex]) >> 15;
  // Valid codes give -65534 to 65536. Only a code the standard forbids (all
  // ones in an ungrouped class) under the largest scale factors lands above,
  // where a 32-bit product would have overflowed; holding it at 2.0 keeps the
  // filter bank's products within 32 bits.
  return static_cast<std::int32_t>(std::min<std::int64_t>(sample, 65536));
}

void RequantizeFramePortable(FrameSamples* frame, const FrameAllocation& alloc, int channels, int sblimit) {
  for (int ch = 0; ch < channels; ++ch) {
    for (int slot = 0; slot < kSlotsPerFrame; ++slot) {
      const int part = slot / 12;
      std::int32_t* values = frame->s[ch][slot];
      for (int band = 0; band < sblimit; ++band) {
        const int quantClass = alloc.quantClass[ch][band];
        values[band] = quantClass ? Requantize(static_cast<std::uint32_t>(values[band]), quantClass,
                                               alloc.scaleIndex[ch][band][part])
                                  : 0;
      }
    }
  }
}

void RequantizeFrame(FrameSamples* frame, const FrameAllocation& alloc, int channels, int sblimit) {
#if defined(__SSE2__)
  if (ProcessorHasAvx2()) {
    RequantizeFrameAvx2(frame, alloc, channels, sblimit);
    return;
  }
#endif
  RequantizeFramePortable(frame, alloc, channels, sblimit);
}

}  // namespace reelpack
