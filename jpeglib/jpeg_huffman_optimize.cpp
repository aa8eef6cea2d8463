#include "jpeglib/jpeg_huffman_optimize.h"

#include <algorithm>

namespace {

constexpr int kReserved = 256;
constexpr int kSymbols = 257;

// Index into `active` of the least count; among equal counts the highest
// symbol wins. `skip` is an index to pass over (-1: none).
int leastCount(const std::uint64_t* freq, const int* active, int activeCount, int skip) {
  int best = -1;
  for (int i = 0; i < activeCount; ++i) {
    if (i == skip) continue;
    if (best < 0 || freq[active[i]] <= freq[active[best]]) best = i;
  }
  return best;
}

}  // namespace

int jpegOptimizeHuffman(const std::uint64_t counts[256], std::uint8_t bits[16], std::uint8_t values[256]) {
  std::uint64_t freq[kSymbols];
  int codeSize[kSymbols] = {};
  int next[kSymbols];  // chain of symbols merged into one tree node
  int active[kSymbols];  // symbols with a non-zero count, increasing
  int activeCount = 0;
  for (int s = 0; s < kSymbols; ++s) {
    freq[s] = s == kReserved ? 1 : counts[s];
    next[s] = -1;
    if (freq[s] != 0) active[activeCount++] = s;
  }

  // Join the two least frequent nodes until one is left.
  while (activeCount > 1) {
    const int i1 = leastCount(freq, active, activeCount, -1);
    const int i2 = leastCount(freq, active, activeCount, i1);
    int v1 = active[i1];
    int v2 = active[i2];
    freq[v1] += freq[v2];
    freq[v2] = 0;
    std::copy(active + i2 + 1, active + activeCount, active + i2);
    --activeCount;
    for (++codeSize[v1]; next[v1] >= 0; ++codeSize[v1]) v1 = next[v1];
    next[v1] = v2;
    for (++codeSize[v2]; next[v2] >= 0; ++codeSize[v2]) v2 = next[v2];
  }

  // A tree of 257 leaves is at most 256 deep.
  int lengthCount[kSymbols] = {};
  int longest = 0;
  for (int s = 0; s < kSymbols; ++s) {
    if (codeSize[s] == 0) continue;
    ++lengthCount[codeSize[s]];
    longest = std::max(longest, codeSize[s]);
  }
  // Move pairs of over-long codes up, taking a shorter code's place.
  for (int length = longest; length > 16; --length) {
    while (lengthCount[length] > 0) {
      int shorter = length - 2;
      while (lengthCount[shorter] == 0) --shorter;
      lengthCount[length] -= 2;
      ++lengthCount[length - 1];
      lengthCount[shorter + 1] += 2;
      --lengthCount[shorter];
    }
  }
  // The reserved symbol gives up the longest code.
  for (int length = std::min(longest, 16); length > 0; --length) {
    if (lengthCount[length] == 0) continue;
    --lengthCount[length];
    break;
  }
  for (int length = 1; length <= 16; ++length) bits[length - 1] = static_cast<std::uint8_t>(lengthCount[length]);

  // Longer original sizes keep the longer codes after the limiting.
  int valueCount = 0;
  for (int length = 1; length <= longest; ++length) {
    for (int s = 0; s < kReserved; ++s) {
      if (codeSize[s] == length) values[valueCount++] = static_cast<std::uint8_t>(s);
    }
  }
  return valueCount;
}
