// Which movie frame is due: the sound track's play position, or the engine
// time since the movie started, turned into a frame number.
#pragma once

#include <cstdint>

// Integer part of (numerator x 0.001 / time base) x milliseconds, in double
// precision; the time base is never 0 (such movies are refused when opened).
std::int64_t MovieFrameAt(std::uint32_t rateNumerator, std::uint32_t timeBase, std::int64_t milliseconds);
