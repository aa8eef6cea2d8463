// How the engine reaches display memory. The raw frame-buffer access of the
// CE 5 and CE 4.2 builds is here; a build installs its own access (the CE 3
// build draws through the Game API's begin/end pair) before the engine starts.
#pragma once

#include <cstdint>

#include "host/display/gapi.h"

// The driver's raw frame-buffer record, as the escape reports it; after
// RawGetDisplayProperties its frame pointer addresses portrait pixel (0, 0).
struct RawFrameBuffer {
  std::uint16_t format = 0;
  std::uint16_t bitsPerPixel = 0;
  std::uint8_t* frame = nullptr;
  std::int32_t xStride = 0;
  std::int32_t yStride = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
};

extern RawFrameBuffer gRawFrameBuffer;

class CScreenMode;

// Reads the geometry afresh and turns it into a portrait view.
void RawGetDisplayProperties(GXDisplayProperties* out);
void* RawBeginDraw();
int RawEndDraw();
// The raw geometry as the driver reports it (screen-mode detection).
RawFrameBuffer RawReadFrameBuffer();

struct DisplayAccess {
  void (*readProperties)(GXDisplayProperties* out);
  // Display memory for portrait pixel (0, 0), or null when it cannot be had
  // now; endDraw is called only after a non-null beginDraw.
  void* (*beginDraw)();
  int (*endDraw)();
  void (*detectScreenMode)(CScreenMode* mode);
};

// The raw frame-buffer access (the default).
const DisplayAccess& RawDisplayAccess();
void SetDisplayAccess(const DisplayAccess& access);
const DisplayAccess& GetDisplayAccess();

// A geometry the engine can draw through: a frame pointer, a non-empty panel
// and 16 bits a pixel.
bool IsUsableDisplay(const GXDisplayProperties& properties, const void* frame);
