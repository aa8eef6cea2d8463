// The command's progress texts: the redrawn terminal line and the one line
// per phase written when standard error is not a terminal.
#pragma once

#include <cstdint>
#include <string>

#include "converter/job/video_pass_result.h"

namespace reelpack {

struct ProgressSnapshot {
  JobPhase phase = JobPhase::Waiting;
  std::int32_t written = 0;
  std::int32_t total = 0;
  double sourceFps = 0.0;
  std::int32_t averageKbps = 0;
  std::int32_t maximumKbps = 0;
  double elapsedSeconds = 0.0;
};

// "[#####.....]  12/300 frames  29.970 fps  avg 1234 kbit/s  max 2345 kbit/s
// 0:05 elapsed, 1:55 left" in the video phase; the phase's name after it.
std::string ProgressBarLine(const ProgressSnapshot& snapshot);
// "writing the movie", "writing the sound track", "putting the files in place".
std::string PhaseText(JobPhase phase);

}  // namespace reelpack
