// A part sprite: one drawable thing on the screen, a rectangle of a picture
// slot or a colour fill placed in the 800 x 600 design space, with anchor,
// scale, angle, opacity, priority, visibility, a frame animation and one
// transition effect at a time. Design values are turned into screen pixels
// when they are set. Every setter keeps the screen bounds and the dirty
// rectangle (what the part covered at the last redraw plus what it covers
// now) current; the engine collects the dirty rectangles, a part never draws.
//
// Creation: new, ResetPlacement, InitImageRect (or InitColorFill),
// SetPosition, SetPriority, then any other setter. Once per frame the engine
// calls Update with the clock frozen and threads the part's node, or its
// effect tiles, into the draw lists. Deletion: GetDirtyRect into the dirty
// list when the area is to be redrawn, then delete (which frees the tiles).
#pragma once

#include <cstdint>

#include "engine/raster/layer_node.h"
#include "engine/sprites/effect_families.h"
#include "host/window/window_api.h"

inline constexpr int kAnimFrameCount = 64;
inline constexpr int kAnimationCount = 16;
// Next-frame markers of the frame table; an undefined animation start.
inline constexpr std::uint16_t kAnimEnd = 0xFFFF;
inline constexpr std::uint16_t kAnimHide = 0xFFFD;
inline constexpr std::uint16_t kAnimUndefined = 0xFFFF;

// One frame of the frame table; rectangle and offsets in screen px.
struct AnimFrame {
  std::int16_t imageSlot = 0;
  std::int16_t x = 0;
  std::int16_t y = 0;
  std::int16_t width = 0;
  std::int16_t height = 0;
  std::int16_t dx = 0;  // added to the draw position while the frame shows
  std::int16_t dy = 0;
  std::uint16_t durationMs = 0;
  std::uint16_t next = kAnimEnd;  // frame index, kAnimEnd or kAnimHide
};

class CSpritePart {
 public:
  CSpritePart();
  ~CSpritePart();
  CSpritePart(const CSpritePart&) = delete;
  CSpritePart& operator=(const CSpritePart&) = delete;

  // The head and placement defaults again (node fields, anchor, angle,
  // priority 1); visibility, bounds, animation and effect stay.
  void ResetPlacement();
  // Picture slot and source rectangle, in design px; InitImageRect leaves
  // bounds and dirty rectangle alone, SetImageRect refreshes them.
  void InitImageRect(int slot, std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h);
  void SetImageRect(int slot, std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h);
  // A solid colour 0xRRGGBB placed at (x, y) with the size (w, h), design px.
  void InitColorFill(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h, std::uint32_t color);
  // Where the anchor sits, design px.
  void SetPosition(std::int32_t x, std::int32_t y);
  // The anchor inside the source rectangle, design px.
  void SetAnchor(std::int32_t x, std::int32_t y);
  // 1000 = 100 %.
  void SetScale(std::int32_t sx, std::int32_t sy);
  // 0..256; larger values (compared unsigned) become 256.
  void SetOpacity(std::int32_t opacity);
  // Draw list 0..127, 0 on top; other values are ignored.
  void SetPriority(std::int32_t priority);
  // Nothing happens when the part already is in that state.
  void SetVisible(int on);
  // The union of the area covered at the last redraw and the area covered
  // now, for a part about to be deleted.
  void GetDirtyRect(RECT* out);

  // Frame i of the frame table (design values; next is a frame index or a
  // marker); with animation >= 0 frame i also starts that animation. Indexes
  // outside the tables change nothing.
  void SetAnimationFrame(int frame, std::uint16_t next, std::uint16_t durationMs, int slot, std::int32_t x,
                         std::int32_t y, std::int32_t w, std::int32_t h, std::int32_t dx, std::int32_t dy,
                         int animation);
  // Shows the animation's first frame, keeping the image rectangle it
  // replaces; an undefined animation changes nothing.
  void StartAnimation(int animation);
  // Puts the image rectangle from before StartAnimation back.
  void StopAnimation();

  // The per-frame step (clock frozen by the caller): advances the effect or
  // the animation and places the node. level is the engine's screen-level
  // word, which the brightness fades set when they end. 1 when the part is
  // to be drawn this frame.
  int Update(std::uint32_t* level);

  // Starts effect id over durationMs with its family's parameters; an
  // unknown id changes nothing. A running effect is dropped first. Always 1.
  int StartEffect(int id, std::int32_t durationMs, std::int32_t a, std::int32_t b, std::int32_t c);
  // Recomputes the tiles for the current time; 1 when the effect finished
  // (its tiles are then gone), 0 while it runs.
  int StepEffect();
  // Ends a running effect at once (position back, retired when the effect
  // hides the part); 0 when none runs.
  int EndEffect();
  bool IsEffectRunning() const { return effect.running != 0; }
  void FreeEffectTiles();
  // The effect tiles chained in array order, or null when none exist.
  LayerNode* FirstTile() { return tiles; }
  LayerNode* LastTile() { return lastTile; }

  // The screen rectangle the part covers: from the tiles while an effect
  // runs (useTiles), else from position, anchor, size, scale and angle.
  void ComputeBounds(RECT* out, bool useTiles) const;
  // out = the union of prev and cur (cur alone when prev is unset); marks
  // the part dirty.
  void UnionDirtyRect(RECT* out, const RECT& prev, const RECT& cur);
  // For the engine after a frame: the dirty rectangle when the part changed;
  // the change is then taken and the current bounds become the previous ones.
  bool TakeDirtyRect(RECT* out);

  LayerNode node;
  RECT prevBounds{-1, -1, -1, -1};
  std::uint32_t dirty = 0;
  std::uint32_t visible = 1;
  std::uint32_t retired = 0;  // ended: the engine deletes the part
  std::int32_t posX1000 = 0;  // screen px x 1000, where the anchor sits
  std::int32_t posY1000 = 0;
  std::int32_t width = 0;  // source rectangle size, screen px
  std::int32_t height = 0;
  std::int32_t designX1000 = 0;
  std::int32_t designY1000 = 0;
  std::int32_t designWidth = 0;
  std::int32_t designHeight = 0;
  std::int32_t anchorX = 0;  // screen px from the source rectangle's top-left
  std::int32_t anchorY = 0;
  std::int32_t scaleX = kScaleUnit;
  std::int32_t scaleY = kScaleUnit;
  std::int32_t angle = 0;  // degrees; nothing sets it but tests
  std::int32_t priority = 1;
  std::int16_t savedImageSlot = 0;
  std::int16_t savedSrcLeft = 0;
  std::int16_t savedSrcTop = 0;
  std::int16_t savedSrcRight = 0;
  std::int16_t savedSrcBottom = 0;
  RECT dirtyRect{0, 0, 0, 0};
  RECT bounds{0, 0, 0, 0};
  PartEffectState effect;
  std::uint32_t animRunning = 0;
  std::int16_t animIndex = 0;
  std::int16_t animFrame = 0;
  std::int16_t animTicks = 0;
  std::int16_t animFirst = 0;
  std::uint32_t nextFrameMs = 0;
  std::uint16_t animStart[kAnimationCount];
  AnimFrame frames[kAnimFrameCount];

 private:
  // Bounds from the part, then the dirty rectangle.
  void Refresh();
  void SetSourceRect(int slot, std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom);
  // The animation's tick; false when it ended or hid the part.
  bool AdvanceAnimation();

  LayerNode* tiles = nullptr;
  LayerNode* lastTile = nullptr;
};
