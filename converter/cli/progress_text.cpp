#include "converter/cli/progress_text.h"

#include <cstdio>

namespace reelpack {
namespace {

constexpr int kBarCells = 24;

std::string Clock(double seconds) {
  const long whole = seconds > 0 ? static_cast<long>(seconds + 0.5) : 0;
  char text[32];
  if (whole >= 3600) {
    std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", whole / 3600, whole / 60 % 60, whole % 60);
  } else {
    std::snprintf(text, sizeof text, "%ld:%02ld", whole / 60, whole % 60);
  }
  return text;
}

}  // namespace

std::string PhaseText(JobPhase phase) {
  switch (phase) {
    case JobPhase::Waiting:
      return "opening the source";
    case JobPhase::Video:
      return "writing the movie";
    case JobPhase::Sound:
      return "writing the sound track";
    case JobPhase::Committing:
      return "putting the files in place";
    case JobPhase::Finished:
      break;
  }
  return "finished";
}

std::string ProgressBarLine(const ProgressSnapshot& snapshot) {
  const std::int32_t total = snapshot.total > 0 ? snapshot.total : 0;
  const std::int32_t written = snapshot.written < 0 ? 0 : (snapshot.written > total ? total : snapshot.written);
  const int filled = total > 0 ? static_cast<int>(static_cast<std::int64_t>(written) * kBarCells / total) : 0;
  std::string line = "[" + std::string(static_cast<std::size_t>(filled), '#') +
                     std::string(static_cast<std::size_t>(kBarCells - filled), '.') + "]";
  char figures[160];
  std::snprintf(figures, sizeof figures, " %d/%d frames  %.3f fps  avg %d kbit/s  max %d kbit/s  %s elapsed", written,
                total, snapshot.sourceFps, snapshot.averageKbps, snapshot.maximumKbps,
                Clock(snapshot.elapsedSeconds).c_str());
  line += figures;
  if (written > 0 && total > 0) {
    line += ", " + Clock(snapshot.elapsedSeconds * (total - written) / written) + " left";
  }
  if (snapshot.phase != JobPhase::Video) line += "  " + PhaseText(snapshot.phase);
  return line;
}

}  // namespace reelpack
