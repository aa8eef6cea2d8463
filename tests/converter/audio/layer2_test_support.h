// Shared helpers of the Layer II tests: fixture files, whole-file decoding
// and the comparison figures against a reference decoding.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "converter/audio/layer2_decoder.h"
#include "tests/support/file_bytes.h"

namespace layer2_test {

std::string FixturePath(const std::string& name);

// Interleaved signed 16-bit samples from little-endian bytes.
std::vector<std::int16_t> Samples(const std::vector<std::uint8_t>& bytes);

// Decodes every frame of a raw Layer II file with one carried synthesis state.
std::vector<std::int16_t> DecodeElementaryStream(const std::vector<std::uint8_t>& data,
                                                 const reelpack::Layer2Forms& forms = reelpack::kFastestLayer2Forms);

// Differences in LSB of 16-bit samples: they do not depend on the signal's
// level, so one set of limits holds for tones and noise alike.
struct Comparison {
  int maxDifference = 0;
  double meanDifference = 0;  // the fixed-point shifts round down: a small negative offset
  double rmsDifference = 0;
  double rmsWithoutOffset = 0;  // the same with the mean difference taken out
};
Comparison Compare(const std::vector<std::int16_t>& ours, const std::vector<std::int16_t>& reference);

// Frequency of one channel from its rising zero crossings.
double ZeroCrossingFrequency(const std::vector<std::int16_t>& interleaved, int channel, int sampleRate);

}  // namespace layer2_test
