#include "engine/sprites/effect_families.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <limits>

#include "engine/pictures/picture_design_space.h"
#include "engine/runtime/polar.h"
#include "engine/runtime/runtime_globals.h"

namespace {

// The draw mode of the level effect's tile; the compositor draws nothing
// for it.
constexpr std::int16_t kDrawLevelMode = 99;

std::int16_t ToInt16(std::int64_t v) {
  return static_cast<std::int16_t>(std::clamp<std::int64_t>(v, std::numeric_limits<std::int16_t>::min(),
                                                            std::numeric_limits<std::int16_t>::max()));
}

std::int32_t ToInt32(std::int64_t v) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, std::numeric_limits<std::int32_t>::min(),
                                                            std::numeric_limits<std::int32_t>::max()));
}

std::int64_t CeilDiv(std::int64_t a, std::int64_t b) { return a / b + (a % b != 0 ? 1 : 0); }

void SetSource(LayerNode& tile, std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom) {
  tile.srcLeft = static_cast<std::int16_t>(left);
  tile.srcTop = static_cast<std::int16_t>(top);
  tile.srcRight = static_cast<std::int16_t>(right);
  tile.srcBottom = static_cast<std::int16_t>(bottom);
}

void SetDraw(LayerNode& tile, std::int64_t x, std::int64_t y) {
  tile.drawX = static_cast<std::int16_t>(x);
  tile.drawY = static_cast<std::int16_t>(y);
}

// The whole source rectangle at the part's place.
void PlaceWhole(const EffectFrame& f, LayerNode& tile) {
  SetSource(tile, f.left, f.top, f.right, f.bottom);
  SetDraw(tile, f.originX, f.originY);
}

// A piece of the source drawn where it lies in the part.
void PlaceInOwnPlace(const EffectFrame& f, LayerNode& tile, std::int64_t left, std::int64_t top,
                     std::int64_t right, std::int64_t bottom) {
  SetSource(tile, left, top, right, bottom);
  SetDraw(tile, f.originX + (left - f.left), f.originY + (top - f.top));
}

std::int16_t Opacity(std::int64_t v) { return static_cast<std::int16_t>(std::clamp<std::int64_t>(v, 0, 256)); }

// --- Whole-part fade (1, 129).
void StepFade(const EffectFrame& f, LayerNode* tiles, std::uint32_t*) {
  PlaceWhole(f, tiles[0]);
  tiles[0].opacity = Opacity(IsOutgoingEffect(f.id) ? 256 - f.Share(256) : f.Share(256));
}

// --- Strips that open or close (5 to 14 with their twins, delayed; 24 to
// 27 with theirs, all at once). A strip's visible piece grows from one edge
// or shrinks towards one; delayed strips open one after another, in order or
// from the last strip back.
enum class Piece : std::uint8_t { kGrowFromStart, kGrowFromEnd, kShrinkFromStart, kShrinkFromEnd };

struct StripWay {
  std::uint8_t id;
  bool lastFirst;
  Piece piece;
};

constexpr StripWay kStripWays[] = {
    {5, false, Piece::kGrowFromStart},    {9, true, Piece::kGrowFromEnd},
    {133, false, Piece::kShrinkFromStart}, {137, true, Piece::kShrinkFromEnd},
    {6, false, Piece::kGrowFromStart},    {10, true, Piece::kGrowFromEnd},
    {134, false, Piece::kShrinkFromStart}, {138, true, Piece::kShrinkFromEnd},
    {11, false, Piece::kGrowFromEnd},     {12, true, Piece::kGrowFromStart},
    {139, false, Piece::kShrinkFromStart}, {140, true, Piece::kShrinkFromStart},
    {13, false, Piece::kGrowFromEnd},     {14, true, Piece::kGrowFromStart},
    {141, false, Piece::kShrinkFromStart}, {142, true, Piece::kShrinkFromStart},
    {24, false, Piece::kGrowFromStart},   {25, false, Piece::kGrowFromEnd},
    {152, false, Piece::kShrinkFromStart}, {153, false, Piece::kShrinkFromEnd},
    {26, false, Piece::kGrowFromStart},   {27, false, Piece::kGrowFromEnd},
    {154, false, Piece::kShrinkFromStart}, {155, false, Piece::kShrinkFromEnd},
};

StripWay StripWayOf(int id) {
  for (const StripWay& way : kStripWays)
    if (way.id == id) return way;
  return kStripWays[0];
}

// Strip k, paramA wide, opened by amount; the last strip may reach past the
// part's edge.
void PlaceStripPiece(const EffectFrame& f, LayerNode& tile, std::int64_t k, Piece piece, std::int64_t amount) {
  const std::int64_t start = (f.stripsAreRows ? f.top : f.left) + k * f.a;
  const std::int64_t end = start + f.a;
  std::int64_t low = start, high = end;
  switch (piece) {
    case Piece::kGrowFromStart: high = start + amount; break;
    case Piece::kGrowFromEnd: low = end - amount; break;
    case Piece::kShrinkFromStart: low = start + amount; break;
    case Piece::kShrinkFromEnd: high = end - amount; break;
  }
  if (f.stripsAreRows)
    PlaceInOwnPlace(f, tile, f.left, low, f.right, high);
  else
    PlaceInOwnPlace(f, tile, low, f.top, high, f.bottom);
}

void StepDelayedStrips(const EffectFrame& f, LayerNode* tiles, std::uint32_t*) {
  const StripWay way = StripWayOf(f.id);
  const std::int64_t count = std::int64_t{f.columns} * f.rows;
  const std::int64_t p = f.Progress();
  for (std::int64_t k = 0; k < count; ++k) {
    const std::int64_t order = way.lastFirst ? count - 1 - k : k;
    const std::int64_t amount = std::clamp<std::int64_t>((p - order / f.b) * f.c, 0, f.a);
    PlaceStripPiece(f, tiles[k], k, way.piece, amount);
  }
}

void StepOpeningStrips(const EffectFrame& f, LayerNode* tiles, std::uint32_t*) {
  const StripWay way = StripWayOf(f.id);
  const std::int64_t count = std::int64_t{f.columns} * f.rows;
  const std::int64_t amount = f.Share(f.a);
  for (std::int64_t k = 0; k < count; ++k) PlaceStripPiece(f, tiles[k], k, way.piece, amount);
}

// --- Fading strips and cells (16 to 23 with their twins): each strip or
// cell fades after a delay that counts from one edge or corner.
struct CellOrder {
  bool fromRight;
  bool fromBottom;
};

// Indexed by id - 16 (twins by id - 144).
constexpr CellOrder kCellOrders[] = {
    {false, false},  // 16: left first
    {true, false},   // 17: right first
    {false, false},  // 18: top first
    {false, true},   // 19: bottom first
    {false, false},  // 20: top-left first
    {true, true},    // 21: bottom-right first
    {false, true},   // 22: bottom-left first
    {true, false},   // 23: top-right first
};

void StepFadingCells(const EffectFrame& f, LayerNode* tiles, std::uint32_t*) {
  const CellOrder order = kCellOrders[(f.id & 127) - 16];
  const std::int64_t p = f.Progress();
  for (std::int64_t r = 0; r < f.rows; ++r) {
    for (std::int64_t c = 0; c < f.columns; ++c) {
      const std::int64_t delay = (order.fromRight ? f.columns - 1 - c : c) + (order.fromBottom ? f.rows - 1 - r : r);
      const std::int64_t level = std::min<std::int64_t>(256, f.c * std::max<std::int64_t>(0, p - delay));
      LayerNode& tile = tiles[r * f.columns + c];
      tile.opacity = Opacity(IsOutgoingEffect(f.id) ? 256 - level : level);
      const std::int64_t left = f.cutColumns ? f.left + c * f.a : f.left;
      const std::int64_t top = f.cutRows ? f.top + r * f.a : f.top;
      const std::int64_t right = f.cutColumns ? std::min<std::int64_t>(left + f.a, f.right) : f.right;
      const std::int64_t bottom = f.cutRows ? std::min<std::int64_t>(top + f.a, f.bottom) : f.bottom;
      PlaceInOwnPlace(f, tile, left, top, right, bottom);
    }
  }
}

// --- Slides (32 to 35 in, 160 to 163 out): the whole part moves in from
// one side or out to one, by its width or height.
struct SlideWay {
  std::uint8_t id;
  bool vertical;
  std::int8_t from;  // start offset in part sizes
  std::int8_t move;  // direction of travel
};

constexpr SlideWay kSlideWays[] = {
    {32, false, -1, 1}, {33, false, 1, -1}, {34, true, -1, 1}, {35, true, 1, -1},
    {160, false, 0, 1}, {161, false, 0, -1}, {162, true, 0, 1}, {163, true, 0, -1},
};

void StepSlide(const EffectFrame& f, LayerNode* tiles, std::uint32_t*) {
  SlideWay way = kSlideWays[0];
  for (const SlideWay& each : kSlideWays)
    if (each.id == f.id) way = each;
  const std::int64_t size = way.vertical ? f.height : f.width;
  const std::int64_t offset = way.from * size + way.move * f.Share(size);
  PlaceWhole(f, tiles[0]);
  SetDraw(tiles[0], f.originX + (way.vertical ? 0 : offset), f.originY + (way.vertical ? offset : 0));
}

// --- Interlaced wipes (40, 168 rows of height A; 41, 169 columns of width
// A): even and odd lines come in from opposite sides. Placed from the screen
// origin, for parts that sit there.
void StepWipe(const EffectFrame& f, LayerNode* tiles, std::uint32_t*) {
  const bool rows = f.stripsAreRows;
  const std::int64_t extent = rows ? f.width : f.height;
  const std::int64_t q = f.Share(extent);
  const std::int64_t shown = IsOutgoingEffect(f.id) ? extent - q : q;
  const std::int64_t count = std::int64_t{f.columns} * f.rows;
  for (std::int64_t k = 0; k < count; ++k) {
    const std::int64_t lineStart = k * f.a;
    const std::int64_t at = k % 2 == 0 ? 0 : extent - shown;  // offset along the line
    LayerNode& tile = tiles[k];
    if (rows) {
      SetSource(tile, f.left + at, f.top + lineStart, f.left + at + shown, f.top + lineStart + f.a);
      SetDraw(tile, at, lineStart);
    } else {
      SetSource(tile, f.left + lineStart, f.top + at, f.left + lineStart + f.a, f.top + at + shown);
      SetDraw(tile, lineStart, at);
    }
  }
}

// --- Wave (48, 49): every pixel row swings sideways on a dying sine; 49
// also fades in.
void StepWave(const EffectFrame& f, LayerNode* tiles, std::uint32_t*) {
  const std::int64_t amplitude = f.a * (f.d - f.t) / f.d;
  const std::int64_t phase = f.c * f.t * 360 / f.d;
  for (std::int64_t r = 0; r < f.rows; ++r) {
    const std::int64_t angle = ((r + phase) * f.b) % 360;
    std::int32_t x = 0, y = 0;
    PolarToXY(static_cast<std::int32_t>(angle), static_cast<std::int32_t>(amplitude), &x, &y);
    LayerNode& tile = tiles[r];
    SetSource(tile, f.left, f.top + r, f.right, f.top + r + 1);
    SetDraw(tile, f.originX + x, f.originY + r);
    if (f.id == 49) tile.opacity = Opacity(f.Share(256));
  }
}

// --- Level effect (51).
void StepLevel(const EffectFrame& f, LayerNode* tiles, std::uint32_t*) {
  PlaceWhole(f, tiles[0]);
  tiles[0].effectLevel = ToInt16(std::max<std::int64_t>(1, f.a - f.Share(f.a)));
}

// --- Rule fade (60).
void StepRuleFade(const EffectFrame& f, LayerNode* tiles, std::uint32_t*) {
  PlaceWhole(f, tiles[0]);
  tiles[0].opacity = Opacity(f.Share(256));
}

// --- Brightness fades (63 from dark or bright to normal, 191 from normal to
// dark or, with C, to bright).
void StepBrightness(const EffectFrame& f, LayerNode* tiles, std::uint32_t*) {
  PlaceWhole(f, tiles[0]);
  tiles[0].effectLevel = static_cast<std::int16_t>(f.b);
  const std::int64_t share = f.Share(256);
  std::int64_t brightness = 0;
  if (f.id == 63)
    brightness = f.c == 0 ? std::min<std::int64_t>(share, 256) : std::max<std::int64_t>(512 - share, 256);
  else
    brightness = f.c == 0 ? std::max<std::int64_t>(256 - share, 0) : std::min<std::int64_t>(256 + share, 512);
  tiles[0].brightness = static_cast<std::int16_t>(brightness);
}

// --- Random dissolve (178): 64 fixed cells of 40 x 30 px counted from the
// screen origin and the picture origin vanish in random order, 64 t / d of
// them by now.
void StepDissolve(const EffectFrame& f, LayerNode* tiles, std::uint32_t* gone) {
  std::int64_t flagged = std::count(gone, gone + kDissolveCells, 1u);
  std::int64_t toGo = f.Share(kDissolveCells) - flagged;
  while (toGo > 0) {
    const int k = std::rand() % kDissolveCells;
    if (gone[k]) continue;
    gone[k] = 1;
    --toGo;
  }
  for (int k = 0; k < kDissolveCells; ++k) {
    const int x = (k % 8) * 40, y = (k / 8) * 30;
    SetDraw(tiles[k], x, y);
    if (gone[k])
      SetSource(tiles[k], x, y, x, y);
    else
      SetSource(tiles[k], x, y, x + 40, y + 30);
  }
}

using G = EffectGrid;
using P = EffectParam;
using S = EffectSteps;
using O = EffectOpacity;
using M = EffectMark;

// The set-up table. Parameters marked "given" are screen px or plain numbers.
constexpr EffectFamily kFamilies[] = {
    // ids                                 grid                paramA       paramB       paramC
    //                                     steps              start opacity          tile marks      step
    {{1, 129},                             G::kOne,            P::kGiven,   P::kGiven,   P::kGiven,
                                           S::k256,           O::kClearInOpaqueOut,  M::kNone,       StepFade},
    {{5, 9, 133, 137},                     G::kRowsOfA,        P::kStrip,   P::kTwo,     P::kOne,
                                           S::kDelayedStrips, O::kPart,              M::kNone,       StepDelayedStrips},
    {{6, 10, 134, 138},                    G::kColumnsOfA,     P::kStrip,   P::kTwo,     P::kOne,
                                           S::kDelayedStrips, O::kPart,              M::kNone,       StepDelayedStrips},
    {{11, 12, 139, 140},                   G::kRowsOfA,        P::kScreenY, P::kDivisor, P::kScreenYPlusOne,
                                           S::kDelayedStrips, O::kPart,              M::kNone,       StepDelayedStrips},
    {{13, 14, 141, 142},                   G::kColumnsOfA,     P::kScreenX, P::kDivisor, P::kScreenYPlusOne,
                                           S::kDelayedStrips, O::kPart,              M::kNone,       StepDelayedStrips},
    {{16, 17, 144, 145},                   G::kColumnsOfA,     P::kScreenX, P::kGiven,   P::kDivisor,
                                           S::kFadingCells,   O::kClearInOpaqueOut,  M::kNone,       StepFadingCells},
    {{18, 19, 146, 147},                   G::kRowsOfA,        P::kScreenX, P::kGiven,   P::kDivisor,
                                           S::kFadingCells,   O::kClearInOpaqueOut,  M::kNone,       StepFadingCells},
    {{20, 21, 22, 23, 148, 149, 150, 151}, G::kCellsOfA,       P::kScreenX, P::kGiven,   P::kDivisor,
                                           S::kFadingCells,   O::kClearInOpaqueOut,  M::kNone,       StepFadingCells},
    {{24, 25, 152, 153},                   G::kRowsOfA,        P::kEight,   P::kOne,     P::kOne,
                                           S::kOpeningStrips, O::kPart,              M::kNone,       StepOpeningStrips},
    {{26, 27, 154, 155},                   G::kColumnsOfA,     P::kEight,   P::kOne,     P::kOne,
                                           S::kOpeningStrips, O::kPart,              M::kNone,       StepOpeningStrips},
    {{32, 33, 34, 35, 160, 161, 162, 163}, G::kOne,            P::kGiven,   P::kGiven,   P::kGiven,
                                           S::k256,           O::kOpaque,            M::kNone,       StepSlide},
    {{40, 168},                            G::kWipeRows,       P::kDivisor, P::kGiven,   P::kGiven,
                                           S::kWidth,         O::kPart,              M::kNone,       StepWipe},
    {{41, 169},                            G::kWipeColumns,    P::kDivisor, P::kGiven,   P::kGiven,
                                           S::kWidth,         O::kPart,              M::kNone,       StepWipe},
    {{48, 49},                             G::kPixelRows,      P::kGiven,   P::kGiven,   P::kGiven,
                                           S::kWave,          O::kWave,              M::kNone,       StepWave},
    {{51},                                 G::kOne,            P::kGiven,   P::kGiven,   P::kGiven,
                                           S::kA,             O::kPart,              M::kLevelMode,  StepLevel},
    {{60},                                 G::kOne,            P::kDivisor, P::kGiven,   P::kGiven,
                                           S::kRule,          O::kClear,             M::kRuleMode,   StepRuleFade},
    {{63, 191},                            G::kOne,            P::kDivisor, P::kGiven,   P::kGiven,
                                           S::kBrightness,    O::kOpaque,            M::kBrightness, StepBrightness},
    {{178},                                G::kDissolveCells,  P::kGiven,   P::kGiven,   P::kGiven,
                                           S::k64,            O::kPart,              M::kNone,       StepDissolve},
};

std::int16_t StoredParam(EffectParam rule, std::int32_t given) {
  switch (rule) {
    case P::kGiven: return ToInt16(given);
    case P::kDivisor: return std::max<std::int16_t>(ToInt16(given), 1);
    case P::kScreenX: return std::max<std::int16_t>(ToInt16(DesignXToScreen(given)), 1);
    case P::kScreenY: return std::max<std::int16_t>(ToInt16(DesignYToScreen(given)), 1);
    case P::kScreenYPlusOne: return std::max<std::int16_t>(ToInt16(std::int64_t{DesignYToScreen(given)} + 1), 1);
    case P::kStrip: return GetScreenWidth() < 640 ? 8 : 16;
    case P::kOne: return 1;
    case P::kTwo: return 2;
    case P::kEight: return 8;
  }
  return 0;
}

void SetGrid(EffectGrid grid, std::int64_t a, std::int64_t width, std::int64_t height, PartEffectState* state) {
  std::int64_t columns = 1, rows = 1;
  switch (grid) {
    case G::kOne: break;
    case G::kRowsOfA: rows = CeilDiv(height, a); break;
    case G::kColumnsOfA: columns = CeilDiv(width, a); break;
    case G::kCellsOfA:
      columns = CeilDiv(width, a);
      rows = CeilDiv(height, a);
      break;
    case G::kWipeRows: rows = height / a; break;
    case G::kWipeColumns: columns = width / a; break;
    case G::kPixelRows: rows = height; break;
    case G::kDissolveCells:
      columns = 8;
      rows = 8;
      break;
  }
  // Nothing to draw, or more tiles than a part can sensibly have.
  if (columns < 1 || rows < 1 || columns * rows > kMaxEffectTiles) columns = rows = 0;
  state->columns = static_cast<std::int32_t>(columns);
  state->rows = static_cast<std::int32_t>(rows);
}

std::int64_t StepCountOf(EffectSteps steps, const PartEffectState& s, std::int64_t width) {
  const std::int64_t columns = s.columns, rows = s.rows;
  switch (steps) {
    case S::k256: return 256;
    case S::kDelayedStrips: return (columns + rows - 2) / s.paramB + s.paramA / s.paramC;
    case S::kFadingCells: return columns + rows + 256 / s.paramC - 2;
    case S::kOpeningStrips: return columns + rows + 6;
    case S::kWidth: return width;
    case S::kWave: return width / 2 * s.paramB;
    case S::kA: return s.paramA;
    case S::kRule: return 256 / s.paramA + 1;
    case S::kBrightness: return 256 / s.paramA;
    case S::k64: return 64;
  }
  return 0;
}

}  // namespace

const EffectFamily* FindEffectFamily(int id) {
  if (id <= 0 || id > 255) return nullptr;
  for (const EffectFamily& family : kFamilies)
    for (std::uint8_t each : family.ids)
      if (each == id) return &family;
  return nullptr;
}

void SetUpEffect(const EffectFamily& family, int id, std::int32_t a, std::int32_t b, std::int32_t c,
                 std::int32_t width, std::int32_t height, PartEffectState* state) {
  state->id = static_cast<std::uint32_t>(id);
  state->paramA = StoredParam(family.a, a);
  state->paramB = StoredParam(family.b, b);
  state->paramC = StoredParam(family.c, c);
  SetGrid(family.grid, state->paramA, width, height, state);
  state->stepCount = state->columns > 0 ? ToInt32(StepCountOf(family.steps, *state, width)) : 0;
  state->hideAtEnd = IsOutgoingEffect(id) || id == 63 ? 1 : 0;
  std::fill(std::begin(state->cellFlags), std::end(state->cellFlags), 0u);
}

void StartEffectTile(const EffectFamily& family, const PartEffectState& state, const LayerNode& part, LayerNode* tile) {
  *tile = LayerNode{};
  tile->size = kLayerNodeSize;
  tile->kind = part.kind;
  tile->color = part.color;
  tile->reserved = part.reserved;
  tile->brightness = part.brightness;
  tile->imageSlot = part.imageSlot;
  switch (family.opacity) {
    case O::kPart: tile->opacity = part.opacity; break;
    case O::kOpaque: tile->opacity = kOpacityOpaque; break;
    case O::kClear: tile->opacity = 0; break;
    case O::kClearInOpaqueOut: tile->opacity = IsOutgoingEffect(static_cast<int>(state.id)) ? 256 : 0; break;
    case O::kWave: tile->opacity = state.id == 49 ? 0 : part.opacity; break;
  }
  switch (family.mark) {
    case M::kNone: break;
    case M::kLevelMode: tile->drawMode = kDrawLevelMode; break;
    case M::kRuleMode: tile->ruleMode = state.paramC; break;
    case M::kBrightness: tile->brightness = state.id == 191 ? 256 : (state.paramC != 0 ? 512 : 0); break;
  }
}

void StepEffectTiles(const EffectFamily& family, EffectFrame frame, LayerNode* tiles, std::uint32_t* cellFlags) {
  frame.stripsAreRows = family.grid == G::kRowsOfA || family.grid == G::kWipeRows;
  frame.cutColumns = family.grid == G::kColumnsOfA || family.grid == G::kCellsOfA;
  frame.cutRows = family.grid == G::kRowsOfA || family.grid == G::kCellsOfA;
  family.step(frame, tiles, cellFlags);
}
