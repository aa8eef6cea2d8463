#include "engine/shell/screen_mode.h"

#include "engine/shell/display_access.h"
#include "host/window/window_api.h"

CScreenMode::CScreenMode() { Detect(); }

void CScreenMode::Detect() {
  vga = highResolution = landscape = 0;
  GetDisplayAccess().detectScreenMode(this);
}

void CScreenMode::MapStylusPoint(std::int32_t* x, std::int32_t* y) const {
  std::int32_t px = *x;
  std::int32_t py = *y;
  std::int32_t width = GetSystemMetrics(SM_CXSCREEN);
  std::int32_t screenSide = 320;
  if (vga) {
    screenSide = 640;
    if (!highResolution) {
      px *= 2;
      py *= 2;
      width *= 2;
    }
  }
  if (landscape) {
    *x = px - width + screenSide;
    *y = py;
  } else {
    *x = screenSide - 1 - py;
    *y = px;
  }
}
