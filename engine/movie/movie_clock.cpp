#include "engine/movie/movie_clock.h"

std::int64_t MovieFrameAt(std::uint32_t rateNumerator, std::uint32_t timeBase, std::int64_t milliseconds) {
  const double framesPerMs = rateNumerator * 0.001 / timeBase;
  return static_cast<std::int64_t>(framesPerMs * static_cast<double>(milliseconds));
}
