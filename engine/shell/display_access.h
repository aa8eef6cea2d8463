// How the engine reaches display memory. Each build installs its own access
// before the engine starts: raw frame-buffer access (CE 5, CE 4.2) or the Game
// API's begin/end pair (CE 3).
#pragma once

#include "host/display/gapi.h"

class CScreenMode;

struct DisplayAccess {
  void (*readProperties)(GXDisplayProperties* out);
  // Display memory for portrait pixel (0, 0), or null when it cannot be had
  // now; endDraw is called only after a non-null beginDraw.
  void* (*beginDraw)();
  int (*endDraw)();
  void (*detectScreenMode)(CScreenMode* mode);
};

// The access in use; none until a build installs its own (start-up does).
void SetDisplayAccess(const DisplayAccess& access);
const DisplayAccess& GetDisplayAccess();

// A record the engine can draw through: a non-empty panel, 16 bits a pixel
// and non-zero pitches.
bool IsUsableDisplayRecord(const GXDisplayProperties& properties);
// The same, with display memory to draw into.
bool IsUsableDisplay(const GXDisplayProperties& properties, const void* frame);
