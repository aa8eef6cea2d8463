// The engine's 512 part slots: a part is deleted with its screen area marked
// for redrawing, and the stylus hit test in design units.
#pragma once

#include <cstdint>

class CEngineBase;

inline constexpr int kPartSlotCount = 512;

// Deletes the part in the slot, if any. With invalidate, its running effect
// is ended first and the area it covered at the last redraw and covers now
// is added to the dirty list for redrawing. A bad part number is ignored.
void FreePartSlot(CEngineBase& engine, int part, int invalidate);
// The same, with invalidation, for every part.
void FreeAllPartSlots(CEngineBase& engine);

// 1 when the last stylus point lies inside the design rectangle, its right
// and bottom edges included.
int IsStylusInDesignRect(const CEngineBase& engine, std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h);
