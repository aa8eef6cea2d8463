// Searches for the MPEG start-code prefix 00 00 01 in memory, stepping up to
// four bytes at a time by looking at the byte just past each candidate.
#pragma once

#include <cstdint>

namespace reelpack {

// First p in [from, end) with p[0..2] = 00 00 01 (all three bytes below end),
// or null.
const std::uint8_t* findStartCodeForward(const std::uint8_t* from, const std::uint8_t* end);

// `from` points at the candidate 01 byte: finds the last prefix whose 01 byte
// lies at or before `from` and whose first byte lies at or after `start`, and
// returns its first byte, or null.
const std::uint8_t* findStartCodeBackward(const std::uint8_t* from, const std::uint8_t* start);

}  // namespace reelpack
