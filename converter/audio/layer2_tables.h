// Fixed tables of the MPEG-1 Layer II decoder: header rates, scale factors,
// quantisation classes, bit allocation, the synthesis matrix and window.
// Fractions are held in units of 1/32768.
#pragma once

#include <cstdint>

namespace reelpack {

namespace layer2 {

// By bitrate_index; -1 marks free format and 0 the forbidden index.
extern const std::int32_t kBitRates[16];
// By sampling_frequency; 0 marks the reserved value.
extern const std::int32_t kSampleRates[4];
// S[k] = floor(2 * 2^(-k/3) * 32768); S[63] = 0.
extern const std::int32_t kScaleFactors[64];

// One quantisation class: the number of steps, the bits of one code (of
// three values together when grouped), and the requantisation constants.
struct QuantClass {
  std::int32_t steps;
  std::int32_t bits;
  bool grouped;
  std::int32_t c;
  std::int32_t d;
  std::int32_t h;
};
// Classes 1 to 17; entry 0 stands for "no bits allocated".
extern const QuantClass kQuantClasses[18];

// A bit allocation table: the allocation code's width per subband and the
// class each code selects.
struct AllocationTable {
  std::uint8_t nbal[32];
  std::uint8_t classOf[32][16];
};
// Table L serves sblimit 27 and 30, Table S sblimit 8 and 12.
extern const AllocationTable kAllocationTableL;
extern const AllocationTable kAllocationTableS;

// N[i][k] = trunc(cos((16 + i)(2k + 1) pi / 64) * 32768), built once; the
// filter bank reads it by column, as N[k][i].
using SynthesisMatrix = std::int32_t[64][32];
using TransposedSynthesisMatrix = std::int32_t[32][64];
const SynthesisMatrix& Matrix();
const TransposedSynthesisMatrix& TransposedMatrix();
// The standard's synthesis window times 32768, truncated toward zero.
extern const std::int32_t kWindow[512];

}  // namespace layer2

}  // namespace reelpack
