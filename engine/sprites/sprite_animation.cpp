#include "engine/pictures/picture_design_space.h"
#include "engine/runtime/engine_clock.h"
#include "engine/sprites/sprite_part.h"

void CSpritePart::SetAnimationFrame(int frame, std::uint16_t next, std::uint16_t durationMs, int slot,
                                    std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h,
                                    std::int32_t dx, std::int32_t dy, int animation) {
  if (frame < 0 || frame >= kAnimFrameCount || animation < -1 || animation >= kAnimationCount) return;
  AnimFrame& f = frames[frame];
  f.imageSlot = static_cast<std::int16_t>(slot);
  f.x = static_cast<std::int16_t>(DesignXToScreen(x));
  f.y = static_cast<std::int16_t>(DesignYToScreen(y));
  f.width = static_cast<std::int16_t>(DesignXToScreen(w));
  f.height = static_cast<std::int16_t>(DesignYToScreen(h));
  f.dx = static_cast<std::int16_t>(DesignXToScreen(dx));
  f.dy = static_cast<std::int16_t>(DesignYToScreen(dy));
  f.durationMs = durationMs;
  f.next = next;
  if (animation != -1) animStart[animation] = static_cast<std::uint16_t>(frame);
}

void CSpritePart::StartAnimation(int animation) {
  if (animation < 0 || animation >= kAnimationCount || animStart[animation] >= kAnimFrameCount) return;
  animRunning = 1;
  animIndex = static_cast<std::int16_t>(animation);
  animFrame = animFirst = static_cast<std::int16_t>(animStart[animation]);
  animTicks = 0;
  const AnimFrame& f = frames[animFrame];
  nextFrameMs = GetClockMs() + f.durationMs;
  savedImageSlot = node.imageSlot;
  savedSrcLeft = node.srcLeft;
  savedSrcTop = node.srcTop;
  savedSrcRight = node.srcRight;
  savedSrcBottom = node.srcBottom;
  SetSourceRect(f.imageSlot, f.x, f.y, static_cast<std::int16_t>(f.x + f.width),
                static_cast<std::int16_t>(f.y + f.height));
  Refresh();
}

void CSpritePart::StopAnimation() {
  if (animRunning != 1) return;
  SetSourceRect(savedImageSlot, savedSrcLeft, savedSrcTop, savedSrcRight, savedSrcBottom);
  animRunning = 0;
  Refresh();
}

bool CSpritePart::AdvanceAnimation() {
  animTicks = 0;
  const std::uint16_t next = frames[animFrame].next;
  // A next index outside the table (a marker reached directly included)
  // ends the animation.
  if (next >= kAnimFrameCount) {
    retired = 1;
    return false;
  }
  animFrame = static_cast<std::int16_t>(next);
  const AnimFrame& f = frames[animFrame];
  if (f.next == kAnimEnd) {
    retired = 1;
    return false;
  }
  if (f.next == kAnimHide) {
    // The animation stops with the part hidden; showing it again shows the
    // rectangle it had.
    animRunning = 0;
    if (visible) {
      visible = 0;
      Refresh();
    }
    return false;
  }
  SetSourceRect(f.imageSlot, f.x, f.y, static_cast<std::int16_t>(f.x + f.width),
                static_cast<std::int16_t>(f.y + f.height));
  nextFrameMs = GetClockMs() + f.durationMs;
  Refresh();
  return true;
}
