// The value coding and the AC symbol alphabet of "JBP1" records.
//
// A value v has category 0 for 0, else the bit count of |v| (15 for |v| of
// 16,384 and up); its value bits are the low category bits of v (v > 0) or of
// v - 1 (v < 0). AC symbols: 0x00 ends a block, R x 16 + S (R 0..14, S 1..15)
// is R zeros then a coefficient of category S, and 0xF0..0xFF are 15..30
// zeros on their own.
//
// A block's AC coefficients become a list of entries (CollectAcRuns) that the
// counting pass and the coding pass both turn into symbols (NextAcSymbol), so
// both passes see the very same symbols.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>

namespace reelpack {

// Largest |value| the category scheme can carry: category 15 has 15 bits.
inline constexpr int kJbpMaxMagnitude = 32767;

inline int MagnitudeCategory(int value) {
  const unsigned magnitude = value < 0 ? 0u - static_cast<unsigned>(value) : static_cast<unsigned>(value);
  return magnitude >= 16384 ? 15 : static_cast<int>(std::bit_width(magnitude));
}

struct JbpCodedValue {
  int category = 0;
  std::uint32_t bits = 0;
};
inline JbpCodedValue SplitCoefficient(int value) {
  JbpCodedValue coded;
  coded.category = MagnitudeCategory(value);
  const std::uint32_t mask = (1u << coded.category) - 1;
  coded.bits = static_cast<std::uint32_t>(value > 0 ? value : value - 1) & mask;
  return coded;
}

// An entry is a coefficient (kind = its category 0..15, value = its value
// bits), a run of zeros before a coefficient (kJbpRunEntry, run length) or
// the end of a block whose last coefficients are zero (kJbpEndEntry, 0).
inline constexpr int kJbpRunEntry = 100;
inline constexpr int kJbpEndEntry = 101;
struct JbpAcEntry {
  std::int32_t kind = 0;
  std::int32_t value = 0;
};
// At most one run and one coefficient entry per coefficient, plus the end.
inline constexpr std::size_t kJbpMaxAcEntriesPerBlock = 128;

// Appends the entries of a block's coefficients 1..63 (natural order, taken
// in zigzag order); returns the number of entries written.
std::size_t CollectAcRuns(const std::int16_t block[64], JbpAcEntry* out);

struct JbpAcSymbol {
  int symbol = 0;
  int valueBitCount = 0;
  std::uint32_t valueBits = 0;
};

// Position in an entry list, with the part of a long run not yet coded.
struct JbpAcCursor {
  std::size_t position = 0;
  int pendingRun = 0;
};

// The next symbol of an entry list: runs up to 14 join the coefficient after
// them, runs of 15..30 are one 0xF0..0xFF symbol, longer runs give 0xFF for
// 30 zeros and go on with the rest.
inline JbpAcSymbol NextAcSymbol(const JbpAcEntry* entries, JbpAcCursor& cursor) {
  if (cursor.pendingRun == 0) {
    const JbpAcEntry& entry = entries[cursor.position++];
    if (entry.kind == kJbpEndEntry) return {};
    if (entry.kind != kJbpRunEntry) {
      return {entry.kind, entry.kind, static_cast<std::uint32_t>(entry.value)};
    }
    cursor.pendingRun = entry.value;
  }
  const int run = cursor.pendingRun;
  if (run > 30) {
    cursor.pendingRun = run - 30;
    return {0xFF, 0, 0};
  }
  cursor.pendingRun = 0;
  if (run >= 15) return {0xF0 + run - 15, 0, 0};
  const JbpAcEntry& coefficient = entries[cursor.position++];
  return {run << 4 | coefficient.kind, coefficient.kind, static_cast<std::uint32_t>(coefficient.value)};
}

}  // namespace reelpack
