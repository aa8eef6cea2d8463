#include "converter/jbp1/jbp1_symbols.h"

#include <bit>

#include "common/jbp1_format.h"

namespace reelpack {

int MagnitudeCategory(int value) {
  const unsigned magnitude = value < 0 ? 0u - static_cast<unsigned>(value) : static_cast<unsigned>(value);
  return magnitude >= 16384 ? 15 : static_cast<int>(std::bit_width(magnitude));
}

JbpCodedValue SplitCoefficient(int value) {
  JbpCodedValue coded;
  coded.category = MagnitudeCategory(value);
  const std::uint32_t mask = (1u << coded.category) - 1;
  coded.bits = static_cast<std::uint32_t>(value > 0 ? value : value - 1) & mask;
  return coded;
}

std::size_t CollectAcRuns(const std::int16_t block[64], JbpAcEntry* out) {
  std::size_t written = 0;
  int zeros = 0;
  for (int k = 1; k < 64; ++k) {
    const int value = block[kZigzagToNatural[k]];
    if (value == 0) {
      ++zeros;
      continue;
    }
    if (zeros > 0) out[written++] = {kJbpRunEntry, zeros};
    const JbpCodedValue coded = SplitCoefficient(value);
    out[written++] = {coded.category, static_cast<std::int32_t>(coded.bits)};
    zeros = 0;
  }
  if (zeros > 0) out[written++] = {kJbpEndEntry, 0};
  return written;
}

JbpAcSymbol NextAcSymbol(const JbpAcEntry* entries, JbpAcCursor& cursor) {
  if (cursor.pendingRun == 0) {
    const JbpAcEntry& entry = entries[cursor.position++];
    if (entry.kind == kJbpEndEntry) return {};
    if (entry.kind != kJbpRunEntry) {
      return {entry.kind, entry.kind, static_cast<std::uint32_t>(entry.value)};
    }
    cursor.pendingRun = entry.value;
  }
  const int run = cursor.pendingRun;
  if (run > 30) {
    cursor.pendingRun = run - 30;
    return {0xFF, 0, 0};
  }
  cursor.pendingRun = 0;
  if (run >= 15) return {0xF0 + run - 15, 0, 0};
  const JbpAcEntry& coefficient = entries[cursor.position++];
  return {run << 4 | coefficient.kind, coefficient.kind, static_cast<std::uint32_t>(coefficient.value)};
}

}  // namespace reelpack
