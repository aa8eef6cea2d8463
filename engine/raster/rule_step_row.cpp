#include "engine/raster/rule_step_row.h"

#include <algorithm>

#include "engine/raster/raster_pixel.h"

namespace {

// Below the threshold the old screen's weight falls by one of 64 for every
// 4 steps of the threshold; at or above it, it is whole.
std::uint16_t SoftOldWeight(std::int32_t threshold, std::uint8_t level) {
  return static_cast<std::uint16_t>(std::clamp<std::int32_t>(64 - ((threshold - level) >> 2), 0, 64));
}

}  // namespace

void StepRuleRowPortable(RuleStepKind kind, const std::uint8_t* levels, const std::uint16_t* oldRow,
                         std::uint16_t* newRow, std::int32_t count, std::int32_t threshold) {
  if (kind == RuleStepKind::Hard) {
    // A level at or above the threshold still shows the old screen.
    for (std::int32_t x = 0; x < count; ++x) newRow[x] = levels[x] >= threshold ? oldRow[x] : newRow[x];
  } else {
    for (std::int32_t x = 0; x < count; ++x)
      newRow[x] = Blend64Lanes(oldRow[x], newRow[x], SoftOldWeight(threshold, levels[x]));
  }
}

void StepRuleRow(RuleStepKind kind, const std::uint8_t* levels, const std::uint16_t* oldRow, std::uint16_t* newRow,
                 std::int32_t count, std::int32_t threshold) {
#if defined(__SSE2__)
  if (ProcessorHasAvx512()) return StepRuleRowAvx512(kind, levels, oldRow, newRow, count, threshold);
  if (ProcessorHasAvx2()) return StepRuleRowAvx2(kind, levels, oldRow, newRow, count, threshold);
  StepRuleRowSse2(kind, levels, oldRow, newRow, count, threshold);
#else
  StepRuleRowPortable(kind, levels, oldRow, newRow, count, threshold);
#endif
}
