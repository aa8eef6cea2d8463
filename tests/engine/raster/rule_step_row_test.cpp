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

const FastForm kForms[] = {{"SSE2", StepRuleRowSse2, true},
                           {"AVX2", StepRuleRowAvx2, ProcessorHasAvx2()},
                           {"AVX-512", StepRuleRowAvx512, ProcessorHasAvx512()}};

// Every threshold a step can use (and beyond), over random levels and
// pixels, on rows of odd lengths from odd starting offsets.
TEST(RuleStepRowTest, FastFormsGiveThePortablePixels) {
  std::mt19937 random(16);
  const std::int32_t thresholds[] = {-40000, -5, 0, 1, 100, 192, 193, 255, 256, 300, 447, 448, 511, 40000};
  for (RuleStepKind kind : {RuleStepKind::Hard, RuleStepKind::Soft}) {
    for (std::int32_t threshold : thresholds) {
      for (std::int32_t count : {0, 5, 8, 15, 16, 31, 32, 37, 79, 640}) {
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
        for (const FastForm& form : kForms) {
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

// Each level against each threshold of a soft step, with pixels whose
// channels sit at both ends of their range as well as random ones.
TEST(RuleStepRowTest, FastFormsBlendEveryLevelAtEveryThresholdAsThePortableForm) {
  std::mt19937 random(64);
  const std::uint16_t ends[] = {0x0000, 0xFFFF, 0xF800, 0x07E0, 0x001F, 0x07FF};
  std::vector<std::uint8_t> levels(512);
  std::vector<std::uint16_t> oldRow(levels.size());
  std::vector<std::uint16_t> start(levels.size());
  for (std::size_t x = 0; x < levels.size(); ++x) {
    levels[x] = static_cast<std::uint8_t>(x * 7);
    oldRow[x] = x % 3 == 0 ? ends[x / 3 % 6] : static_cast<std::uint16_t>(random());
    start[x] = x % 5 == 0 ? ends[x / 5 % 6] : static_cast<std::uint16_t>(random());
  }
  const auto count = static_cast<std::int32_t>(levels.size());
  for (std::int32_t threshold = 0; threshold <= 520; ++threshold) {
    SCOPED_TRACE(testing::Message() << "threshold " << threshold);
    std::vector<std::uint16_t> portable = start;
    StepRuleRowPortable(RuleStepKind::Soft, levels.data(), oldRow.data(), portable.data(), count, threshold);
    for (const FastForm& form : kForms) {
      if (!form.available) continue;
      SCOPED_TRACE(form.name);
      std::vector<std::uint16_t> fast = start;
      form.step(RuleStepKind::Soft, levels.data(), oldRow.data(), fast.data(), count, threshold);
      ASSERT_TRUE(fast == portable);
    }
  }
}

}  // namespace
