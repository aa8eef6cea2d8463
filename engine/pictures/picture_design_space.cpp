#include "engine/pictures/picture_design_space.h"

#include "engine/runtime/runtime_globals.h"

namespace {

std::int32_t Scale(std::int32_t value, std::int32_t screen, std::int32_t design) {
  if (design <= 0) return 0;
  return static_cast<std::int32_t>(std::int64_t{value} * screen / design);
}

}  // namespace

std::int32_t DesignXToScreen(std::int32_t v) { return Scale(v, GetScreenWidth(), GetDesignWidth()); }

std::int32_t DesignYToScreen(std::int32_t v) { return Scale(v, GetScreenHeight(), GetDesignHeight()); }

RECT DesignRectToScreen(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h) {
  const std::int32_t sw = GetScreenWidth(), sh = GetScreenHeight();
  const std::int32_t dw = GetDesignWidth(), dh = GetDesignHeight();
  RECT r;
  r.left = Scale(x, sw, dw);
  r.top = Scale(y, sh, dh);
  r.right = r.left + Scale(w, sw, dw);
  r.bottom = r.top + Scale(h, sh, dh);
  return r;
}

int IsPointInDesignRect(std::int32_t px, std::int32_t py, std::int32_t x, std::int32_t y, std::int32_t w,
                        std::int32_t h) {
  // Vertical values scale by the width ratio too; on the 4:3 screens the two
  // ratios are equal.
  const std::int32_t sw = GetScreenWidth(), dw = GetDesignWidth();
  const std::int32_t left = Scale(x, sw, dw), top = Scale(y, sw, dw);
  const std::int32_t width = Scale(w, sw, dw), height = Scale(h, sw, dw);
  return left <= px && px <= left + width && top <= py && py <= top + height;
}
