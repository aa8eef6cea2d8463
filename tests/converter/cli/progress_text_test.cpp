// The terminal progress line: the bar, the figures and the time left, with
// counts out of range clamped.
#include <gtest/gtest.h>

#include "converter/cli/progress_text.h"

using reelpack::JobPhase;
using reelpack::ProgressBarLine;
using reelpack::ProgressSnapshot;

namespace {

TEST(ProgressText, TheLineShowsBarFiguresAndTimeLeft) {
  struct Case {
    ProgressSnapshot snapshot;
    const char* line;
  };
  const std::vector<Case> cases = {
      {{JobPhase::Waiting, 0, 0, 0.0, 0, 0, 0.2},
       "[........................] 0/0 frames  0.000 fps  avg 0 kbit/s  max 0 kbit/s  0:00 elapsed  opening the source"},
      {{JobPhase::Video, 75, 300, 30000.0 / 1001, 2310, 2591, 30.0},
       "[######..................] 75/300 frames  29.970 fps  avg 2310 kbit/s  max 2591 kbit/s  0:30 elapsed, 1:30 left"},
      {{JobPhase::Video, 1, 3000, 25.0, 100, 200, 4.0},
       "[........................] 1/3000 frames  25.000 fps  avg 100 kbit/s  max 200 kbit/s  0:04 elapsed, 3:19:56 left"},
      {{JobPhase::Sound, 300, 300, 25.0, 1, 2, 61.0},
       "[########################] 300/300 frames  25.000 fps  avg 1 kbit/s  max 2 kbit/s  1:01 elapsed, 0:00 left  "
       "writing the sound track"},
      {{JobPhase::Committing, 400, 300, 25.0, 1, 2, 1.0},
       "[########################] 300/300 frames  25.000 fps  avg 1 kbit/s  max 2 kbit/s  0:01 elapsed, 0:00 left  "
       "putting the files in place"},
      {{JobPhase::Video, -5, 10, 25.0, 0, 0, 1.0},
       "[........................] 0/10 frames  25.000 fps  avg 0 kbit/s  max 0 kbit/s  0:01 elapsed"},
  };
  for (const Case& c : cases) EXPECT_EQ(ProgressBarLine(c.snapshot), c.line);
}

}  // namespace
