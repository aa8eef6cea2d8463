#include "engine/shell/display_access.h"

#include "engine/shell/screen_mode.h"
#include "host/display/display_api.h"

RawFrameBuffer gRawFrameBuffer;

namespace {

const DisplayAccess& CurrentSlot(const DisplayAccess* replacement) {
  static DisplayAccess current = RawDisplayAccess();
  if (replacement) current = *replacement;
  return current;
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
  static const DisplayAccess access{RawGetDisplayProperties, RawBeginDraw, RawEndDraw, CScreenMode::DetectRaw};
  return access;
}

void SetDisplayAccess(const DisplayAccess& access) { CurrentSlot(&access); }

const DisplayAccess& GetDisplayAccess() { return CurrentSlot(nullptr); }

bool IsUsableDisplay(const GXDisplayProperties& properties, const void* frame) {
  return frame && properties.cxWidth > 0 && properties.cyHeight > 0 && properties.cBPP == 16 &&
         properties.cbxPitch != 0 && properties.cbyPitch != 0;
}
