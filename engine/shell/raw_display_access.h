// The raw frame-buffer display access of the CE 5 and CE 4.2 builds: the
// geometry comes from the driver's escape, the frame pointer stays valid for
// the whole run, and the screen mode is read from the panel.
#pragma once

#include <cstdint>

#include "engine/shell/display_access.h"

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

// Reads the geometry afresh and turns it into a portrait view.
void RawGetDisplayProperties(GXDisplayProperties* out);
void* RawBeginDraw();
int RawEndDraw();
// The raw geometry as the driver reports it (screen-mode detection).
RawFrameBuffer RawReadFrameBuffer();

const DisplayAccess& RawDisplayAccess();
