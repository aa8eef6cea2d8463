#include "engine/shell/game_api_display.h"

#include "engine/runtime/runtime_globals.h"
#include "engine/shell/screen_mode.h"

namespace {

void ReadGameApiProperties(GXDisplayProperties* out) { *out = GXGetDisplayProperties(); }

// No display escape and no system metrics: the panel is taken as portrait
// and low resolution, so stylus points map by the 320-wide rule.
void DetectVgaOnly(CScreenMode* mode) { mode->vga = GetScreenWidth() >= 640 ? 1 : 0; }

}  // namespace

const DisplayAccess& GameApiDisplayAccess() {
  static const DisplayAccess access{ReadGameApiProperties, GXBeginDraw, GXEndDraw, DetectVgaOnly};
  return access;
}
