#include "converter/audio/layer2_synthesis.h"

#include <algorithm>
#include <cstring>

#include "converter/audio/layer2_tables.h"

namespace reelpack {

using namespace layer2;

namespace {

void StoreSample(std::uint8_t* out, std::int32_t value) {
  const auto clipped = static_cast<std::int16_t>(std::clamp(value, -32768, 32767));
  const auto bits = static_cast<std::uint16_t>(clipped);
  out[0] = static_cast<std::uint8_t>(bits & 0xFF);
  out[1] = static_cast<std::uint8_t>(bits >> 8);
}

// (u * d) >> 15 without a 64-bit product: u = 32768 * high + low splits it
// into two products that fit 32 bits (|u| <= 2^21 + 32, |d| <= 37519).
inline std::int32_t WindowProduct(std::int32_t u, std::int32_t d) {
  return (u >> 15) * d + (((u & 0x7FFF) * d) >> 15);
}

// One time slot through the filter bank: 32 subband samples per channel in,
// 32 PCM sample pairs out. A single channel is written to both outputs.
void SynthesizeSlot(SynthesisState* state, const std::int32_t* const samples[2], int channels, int sblimit,
                    std::uint8_t* out) {
  const TransposedSynthesisMatrix& matrix = TransposedMatrix();
  state->offset = (state->offset - 64) & 1023;
  const int offset = state->offset;
  for (int ch = 0; ch < channels; ++ch) {
    // Every product is shifted before it is added. Products fit 32 bits:
    // samples lie in [-65534, 65536] and only row 48 reaches -32768.
    // Row 32 - i is row i negated, so its products are the negated ones
    // (shifted on their own: floor does not commute with negation); row
    // 96 - i equals row i and row 16 is zero.
    std::int32_t low[16] = {};       // rows 0 to 15
    std::int32_t negated[16] = {};   // rows 32 down to 17
    std::int32_t high[16] = {};      // rows 33 to 48
    for (int k = 0; k < sblimit; ++k) {
      const std::int32_t s = samples[ch][k];
      if (s == 0) continue;
      const std::int32_t* column = matrix[k];
      for (int i = 0; i < 16; ++i) {
        const std::int32_t product = column[i] * s;
        low[i] += product >> 15;
        negated[i] += (-product) >> 15;
      }
      for (int i = 0; i < 16; ++i) high[i] += (column[33 + i] * s) >> 15;
    }
    std::int32_t row[64];
    for (int i = 0; i < 16; ++i) {
      row[i] = low[i];
      row[32 - i] = negated[i];
      row[33 + i] = high[i];
    }
    row[16] = 0;
    for (int i = 49; i < 64; ++i) row[i] = row[96 - i];
    std::int32_t* v = state->v[ch];
    for (int i = 0; i < 64; ++i) v[offset + i] = v[offset + 1024 + i] = row[i];

    std::int32_t sum[32] = {};
    for (int i = 0; i < 16; ++i) {
      const std::int32_t* u = v + offset + 64 * i + 32 * (i & 1);
      const std::int32_t* d = kWindow + 32 * i;
      for (int j = 0; j < 32; ++j) sum[j] += WindowProduct(u[j], d[j]);
    }
    for (int j = 0; j < 32; ++j) {
      StoreSample(out + 4 * j + 2 * ch, sum[j]);
      if (channels == 1) StoreSample(out + 4 * j + 2, sum[j]);
    }
  }
}

}  // namespace

void ClearSynthesisState(SynthesisState* state) { std::memset(state, 0, sizeof(*state)); }

void SynthesizeFramePortable(SynthesisState* state, const FrameSamples& frame, int channels, int sblimit,
                             std::uint8_t* output) {
  for (int slot = 0; slot < kSlotsPerFrame; ++slot) {
    const std::int32_t* const samples[2] = {frame.s[0][slot], frame.s[1][slot]};
    SynthesizeSlot(state, samples, channels, sblimit, output + slot * 32 * 4);
  }
}

void SynthesizeFrame(SynthesisState* state, const FrameSamples& frame, int channels, int sblimit,
                     std::uint8_t* output) {
#if defined(__SSE2__)
  static const SynthesizeFrameForm form = ProcessorHasAvx2() ? SynthesizeFrameAvx2 : SynthesizeFrameSse2;
  form(state, frame, channels, sblimit, output);
#else
  SynthesizeFramePortable(state, frame, channels, sblimit, output);
#endif
}

}  // namespace reelpack
