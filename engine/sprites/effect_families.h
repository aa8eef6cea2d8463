// The transition effects a part can run, family by family. Each family is
// one row of the set-up table (its ids, how its tile grid, parameters, step
// count, starting opacity and tile marks come about) plus one step function
// that places every tile for the elapsed time. Ids n bring a part into view,
// ids n + 128 take it out of view.
#pragma once

#include <cstdint>

#include "engine/raster/layer_node.h"

// A grid of more tiles than this does not start an effect.
inline constexpr std::int64_t kMaxEffectTiles = 65536;
inline constexpr int kDissolveCells = 64;

// What the effect of a part is doing; kept inside the part.
struct PartEffectState {
  std::uint32_t running = 0;
  std::uint32_t hideAtEnd = 0;  // retire the part when the effect finishes
  std::int32_t columns = 0;     // tile (r, c) is record r x columns + c
  std::int32_t rows = 0;
  std::uint32_t id = 0;
  std::int16_t durationMs = 0;
  std::int16_t paramA = 0;
  std::int16_t paramB = 0;
  std::int16_t paramC = 0;
  std::int32_t savedPosX1000 = 0;
  std::int32_t savedPosY1000 = 0;
  std::int32_t stepCount = 0;  // progress steps the whole effect spans
  std::uint32_t startMs = 0;
  std::uint32_t cellFlags[kDissolveCells] = {};  // dissolve: 1 = cell gone
};

// The part as one step of its effect sees it; t < d.
struct EffectFrame {
  int id = 0;
  std::int32_t left = 0, top = 0, right = 0, bottom = 0;  // source rectangle
  std::int32_t width = 0, height = 0;
  std::int32_t originX = 0, originY = 0;  // screen position of the source's top-left
  std::int32_t columns = 1, rows = 1;
  std::int32_t a = 0, b = 0, c = 0;
  std::int32_t stepCount = 0;
  std::int64_t t = 0, d = 1;
  bool stripsAreRows = false;     // the strips of a strip family run across
  bool cutColumns = false;        // pieces are paramA wide ...
  bool cutRows = false;           // ... or paramA high
  // Progress in steps, stepCount t / d.
  std::int64_t Progress() const { return std::int64_t{stepCount} * t / d; }
  // whole x t / d.
  std::int64_t Share(std::int64_t whole) const { return whole * t / d; }
};

using EffectStep = void (*)(const EffectFrame& frame, LayerNode* tiles, std::uint32_t* cellFlags);

enum class EffectGrid : std::uint8_t {
  kOne,            // 1 x 1
  kRowsOfA,        // 1 x ceil(H / paramA)
  kColumnsOfA,     // ceil(W / paramA) x 1
  kCellsOfA,       // ceil(W / paramA) x ceil(H / paramA)
  kWipeRows,       // 1 x H / A
  kWipeColumns,    // W / A x 1
  kPixelRows,      // 1 x H
  kDissolveCells,  // 8 x 8
};

// How a stored parameter comes from the caller's value. Divisor, ScreenX,
// ScreenY and ScreenYPlusOne divide or size the grid and are at least 1.
enum class EffectParam : std::uint8_t {
  kGiven,
  kDivisor,
  kScreenX,
  kScreenY,
  kScreenYPlusOne,
  kStrip,  // 8 on screens narrower than 640 px, else 16
  kOne,
  kTwo,
  kEight,
};

enum class EffectSteps : std::uint8_t {
  k256,
  kDelayedStrips,  // (count - 1) / B + A / C
  kFadingCells,    // columns + rows + 256 / C - 2
  kOpeningStrips,  // count + 7
  kWidth,          // W
  kWave,           // (W / 2) x B
  kA,
  kRule,        // 256 / A + 1
  kBrightness,  // 256 / A
  k64,
};

enum class EffectOpacity : std::uint8_t {
  kPart,
  kOpaque,
  kClear,
  kClearInOpaqueOut,  // 0 for n, 256 for n + 128
  kWave,              // the part's for 48, 0 for 49
};

// Values a family's tiles carry besides the picture.
enum class EffectMark : std::uint8_t {
  kNone,
  kLevelMode,   // drawMode 99
  kRuleMode,    // ruleMode = C
  kBrightness,  // 63: 512 when C != 0 else 0; 191: 256
};

struct EffectFamily {
  std::uint8_t ids[8];  // 0 ends the list
  EffectGrid grid;
  EffectParam a, b, c;
  EffectSteps steps;
  EffectOpacity opacity;
  EffectMark mark;
  EffectStep step;
};

// The family of an effect id, or null for an unknown id.
const EffectFamily* FindEffectFamily(int id);

// Parameters, grid and step count of a new effect on a part of the given
// size into state; the grid is 0 x 0 when it cannot be drawn (no tiles, or
// more than kMaxEffectTiles).
void SetUpEffect(const EffectFamily& family, int id, std::int32_t a, std::int32_t b, std::int32_t c,
                 std::int32_t width, std::int32_t height, PartEffectState* state);

// A tile as it starts: node defaults, then the part's kind, colour,
// reserved word, brightness and picture slot, the family's opacity and marks.
void StartEffectTile(const EffectFamily& family, const PartEffectState& state, const LayerNode& part, LayerNode* tile);

// Places every tile for the frame's time (t < d); the frame's geometry,
// grid, parameters and times come from the part and its effect state.
void StepEffectTiles(const EffectFamily& family, EffectFrame frame, LayerNode* tiles, std::uint32_t* cellFlags);

// Whether effect id brings the part into view (n) or out of it (n + 128).
inline bool IsOutgoingEffect(int id) { return id > 128; }
