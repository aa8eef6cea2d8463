#include "engine/shell/raw_display_access.h"

#include "engine/runtime/runtime_globals.h"
#include "engine/shell/screen_mode.h"
#include "host/display/display_api.h"

RawFrameBuffer gRawFrameBuffer;

namespace {

// Landscape from the raw panel, high resolution from the system metrics, VGA
// from the engine's screen width.
void DetectRawScreenMode(CScreenMode* mode) {
  const RawFrameBuffer raw = RawReadFrameBuffer();
  mode->landscape = raw.width > raw.height ? 1 : 0;
  mode->highResolution =
      GetSystemMetrics(SM_CXSCREEN) < 480 && GetSystemMetrics(SM_CYSCREEN) < 480 ? 0 : 1;
  mode->vga = GetScreenWidth() >= 640 ? 1 : 0;
}

}  // namespace

RawFrameBuffer RawReadFrameBuffer() {
  RawFrameBufferInfo info{};
  HDC screen = GetDC(nullptr);
  // A failing escape leaves the record as it was (zero).
  ExtEscape(screen, GETRAWFRAMEBUFFER, 0, nullptr, sizeof info, reinterpret_cast<LPSTR>(&info));
  ReleaseDC(nullptr, screen);
  RawFrameBuffer raw;
  raw.format = info.wFormat;
  raw.bitsPerPixel = info.wBPP;
  raw.frame = static_cast<std::uint8_t*>(info.pFramePointer);
  raw.xStride = info.cxStride;
  raw.yStride = info.cyStride;
  raw.width = info.cxPixels;
  raw.height = info.cyPixels;
  return raw;
}

void RawGetDisplayProperties(GXDisplayProperties* out) {
  gRawFrameBuffer = RawReadFrameBuffer();
  const RawFrameBuffer& raw = gRawFrameBuffer;
  out->cBPP = raw.bitsPerPixel;
  out->ffFormat = raw.format;
  if (raw.width <= raw.height) {
    out->cxWidth = static_cast<DWORD>(raw.width);
    out->cyHeight = static_cast<DWORD>(raw.height);
    out->cbxPitch = raw.xStride;
    out->cbyPitch = raw.yStride;
  } else {
    // Seen as portrait: stepping by the y pitch walks the panel's columns
    // backwards from the last pixel of the first row.
    out->cxWidth = static_cast<DWORD>(raw.height);
    out->cyHeight = static_cast<DWORD>(raw.width);
    out->cbxPitch = raw.yStride;
    out->cbyPitch = -raw.xStride;
    if (raw.frame) gRawFrameBuffer.frame = raw.frame + static_cast<std::ptrdiff_t>(raw.width - 1) * raw.xStride;
  }
}

void* RawBeginDraw() { return gRawFrameBuffer.frame; }

int RawEndDraw() { return 1; }

const DisplayAccess& RawDisplayAccess() {
  static const DisplayAccess access{RawGetDisplayProperties, RawBeginDraw, RawEndDraw, DetectRawScreenMode};
  return access;
}
