#include "game/extras/cursor_ring.h"

#include "engine/pictures/picture_part_slots.h"
#include "engine/shell/game_engine.h"
#include "game/extras/extras_words.h"
#include "game/input_actions.h"
#include "game/sprites/sprite_making.h"

namespace {

constexpr int kHighlightPart = 9;
constexpr int kPartsSheet = 11;

}  // namespace

std::uint32_t StepRing(const CGameEngine& engine, std::uint32_t* words, const RingPosition* ring, const bool* available,
                       std::uint32_t count, std::uint32_t cursor, const bool* tappable) {
  if (tappable == nullptr) tappable = available;
  std::uint32_t next = cursor;
  if (words[ACTION_UP] == 1) {
    words[ACTION_UP] = 0;
    // At most one full turn: a ring with nothing available keeps no cursor.
    for (std::uint32_t tries = 0; tries < count; ++tries) {
      next = (next == kNoCursor || next == 0) ? count - 1 : next - 1;
      if (available[next]) break;
      if (tries + 1 == count) next = kNoCursor;
    }
  }
  if (words[ACTION_DOWN] == 1) {
    words[ACTION_DOWN] = 0;
    for (std::uint32_t tries = 0; tries < count; ++tries) {
      next = (next == kNoCursor || next + 1 >= count) ? 0 : next + 1;
      if (available[next]) break;
      if (tries + 1 == count) next = kNoCursor;
    }
  }
  if (words[ACTION_TAP] == 1) {
    next = kNoCursor;
    for (std::uint32_t i = 0; i < count; ++i) {
      const RingPosition& p = ring[i];
      if (tappable[i] && IsStylusInDesignRect(engine, p.x, p.y, p.w, p.h)) next = i;
    }
  }
  return next;
}

void MoveRingHighlight(CGameEngine& engine, const RingPosition* ring, std::uint32_t from, std::uint32_t to) {
  if (from == to) return;
  if (from != kNoCursor) FreePartSlot(engine, kHighlightPart, 1);
  if (to == kNoCursor) return;
  const RingPosition& p = ring[to];
  CreateImageSprite(engine, kHighlightPart, kPartsSheet, p.sourceX, p.sourceY, p.sourceW, p.sourceH, p.highlightX,
                    p.highlightY, 0, 0, p.priority);
}

bool TakeRingActivation(std::uint32_t* words, std::uint32_t before, std::uint32_t after) {
  const bool advance = words[ACTION_TAP] == 1 || words[ACTION_ADVANCE_KEY] == 1 || words[ACTION_CLICK] == 1;
  if (!advance) return false;
  ClearAdvanceInputs(words);
  // A tap on nothing leaves no cursor: nothing to activate.
  return before == after && after != kNoCursor;
}

std::uint32_t StepScreenCursor(CGameEngine& engine, std::uint32_t& cursor, std::uint32_t& newCursor,
                               const RingPosition* ring, const bool* available, std::uint32_t count,
                               const bool* tappable) {
  std::uint32_t* input = engine.input.words.data();
  const std::uint32_t before = cursor;
  newCursor = StepRing(engine, input, ring, available, count, cursor, tappable);
  MoveRingHighlight(engine, ring, cursor, newCursor);
  cursor = newCursor;
  return TakeRingActivation(input, before, cursor) ? cursor : kNoCursor;
}
