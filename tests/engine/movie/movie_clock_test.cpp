#include "engine/movie/movie_clock.h"

#include <gtest/gtest.h>

namespace {

TEST(MovieClockTest, TurnsMillisecondsIntoTheDueFrame) {
  const struct {
    std::uint32_t numerator, timeBase;
    std::int64_t ms, frame;
  } cases[] = {
      {30, 2, 1000, 15},          // a sound position of one second at 15 per second
      {15, 1, 2000, 30},          // two seconds of engine clock
      {30000, 2002, 1000, 14},    // 29.97 per second halved: 14.985 is still frame 14
      {30000, 2002, 1002, 15},    // ... until a whole frame 15 is due
      {30000, 1001, 60060, 1800}, // a minute of 29.97 per second, no drift
      {24, 1, 0, 0},
      {24, 1, 41, 0},
      {24, 1, 42, 1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(MovieFrameAt(c.numerator, c.timeBase, c.ms), c.frame) << c.numerator << "/" << c.timeBase << " at " << c.ms;
  }
}

}  // namespace
