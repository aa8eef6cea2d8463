// The rule step's fast row form against its portable definition.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "engine/raster/rule_step_row.h"

namespace {

using StepRuleRowForm = void (*)(RuleStepKind, const std::uint8_t*, const std::uint16_t*, std::uint16_t*, std::int32_t,
                                 std::int32_t);

struct FastForm {
  const char* name;
  StepRuleRowForm step;
  bool available;
};

// Every threshold a step can use (and beyond), over random levels and
// pixels, on rows of odd lengths from odd starting offsets.
TEST(RuleStepRowTest, FastFormsGiveThePortablePixels) {
  const FastForm forms[] = {{"SSE2", StepRuleRowSse2, true}, {"AVX2", StepRuleRowAvx2, ProcessorHasAvx2()}};
  std::mt19937 random(16);
  const std::int32_t thresholds[] = {-40000, -5, 0, 1, 100, 192, 193, 255, 256, 300, 447, 448, 511, 40000};
  for (RuleStepKind kind : {RuleStepKind::Hard, RuleStepKind::Soft}) {
    for (std::int32_t threshold : thresholds) {
      for (std::int32_t count : {0, 5, 8, 15, 16, 37, 640}) {
        SCOPED_TRACE(testing::Message() << "kind " << static_cast<int>(kind) << " threshold " << threshold << " count "
                                        << count);
        std::vector<std::uint8_t> levels(static_cast<std::size_t>(count) + 1);
        std::vector<std::uint16_t> oldRow(levels.size() + 1);
        std::vector<std::uint16_t> portable(levels.size() + 1);
        for (std::uint8_t& level : levels) level = static_cast<std::uint8_t>(random());
        for (std::uint16_t& pixel : oldRow) pixel = static_cast<std::uint16_t>(random());
        for (std::uint16_t& pixel : portable) pixel = static_cast<std::uint16_t>(random());
        const std::vector<std::uint16_t> start = portable;
        StepRuleRowPortable(kind, levels.data() + 1, oldRow.data() + 1, portable.data() + 1, count, threshold);
        for (const FastForm& form : forms) {
          if (!form.available) continue;
          SCOPED_TRACE(form.name);
          std::vector<std::uint16_t> fast = start;
          form.step(kind, levels.data() + 1, oldRow.data() + 1, fast.data() + 1, count, threshold);
          EXPECT_TRUE(fast == portable);
        }
      }
    }
  }
}

}  // namespace
