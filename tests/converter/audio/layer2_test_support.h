// Shared helpers of the Layer II tests: fixture files, whole-file decoding
// and the comparison figures against a reference decoding.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/file_bytes.h"

namespace layer2_test {

std::string FixturePath(const std::string& name);

// Interleaved signed 16-bit samples from little-endian bytes.
std::vector<std::int16_t> Samples(const std::vector<std::uint8_t>& bytes);

// Decodes every frame of a raw Layer II file with one carried synthesis state.
std::vector<std::int16_t> DecodeElementaryStream(const std::vector<std::uint8_t>& data);

struct Comparison {
  int maxDifference = 0;
  double meanDifference = 0;  // the fixed-point shifts round down: a small negative offset
  double snrDb = 0;           // signal energy of the reference over the error energy
  double snrWithoutOffsetDb = 0;  // the same with the mean difference taken out of the error
};
Comparison Compare(const std::vector<std::int16_t>& ours, const std::vector<std::int16_t>& reference);

// Frequency of one channel from its rising zero crossings.
double ZeroCrossingFrequency(const std::vector<std::int16_t>& interleaved, int channel, int sampleRate);

}  // namespace layer2_test
