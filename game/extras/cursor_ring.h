// The cursor model every extras screen shares: a ring of positions that Up
// and Down walk, skipping unavailable ones, that a stylus tap picks by
// rectangle, and where a second tap (or C, or Right) on the highlighted
// position activates it. Each screen describes its ring as a table.
#pragma once

#include <cstdint>

class CGameEngine;

// One cursor position, design pixels: where a tap selects it, and the
// rectangle of "OMAKE_PARTS" that highlights it and where that goes.
struct RingPosition {
  std::int32_t x, y, w, h;
  std::int32_t sourceX, sourceY, sourceW, sourceH;
  std::int32_t highlightX, highlightY;
  std::int32_t priority;
};

// The cursor after this frame's Up, Down and tap (the words it uses are
// cleared, the tap's by the activation check); available[i] says whether
// position i can take the cursor, tappable[i] (when given) whether a tap can
// choose it.
std::uint32_t StepRing(const CGameEngine& engine, std::uint32_t* words, const RingPosition* ring, const bool* available,
                       std::uint32_t count, std::uint32_t cursor, const bool* tappable = nullptr);
// Moves the highlight (part 9, from picture slot 11) from one position to
// another; kNoCursor for none.
void MoveRingHighlight(CGameEngine& engine, const RingPosition* ring, std::uint32_t from, std::uint32_t to);
// Consumes tap, C and Right; true when one was present and the cursor did
// not move this frame, so the position it stays on is activated.
bool TakeRingActivation(std::uint32_t* words, std::uint32_t before, std::uint32_t after);
// The whole cursor step on a screen's pair of cursor words: the position to
// activate this frame, or kNoCursor.
std::uint32_t StepScreenCursor(CGameEngine& engine, std::uint32_t& cursor, std::uint32_t& newCursor,
                               const RingPosition* ring, const bool* available, std::uint32_t count,
                               const bool* tappable = nullptr);
