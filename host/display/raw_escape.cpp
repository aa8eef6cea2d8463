// The raw frame-buffer escape, kept in an object of its own: the build that
// draws only through the Game API must not hold it.
#include "host/display/display_api.h"
#include "host/run/call_log.h"

int ExtEscape(HDC dc, int escape, int /*inSize*/, LPCSTR /*in*/, int /*outSize*/, LPSTR out) {
  HostCallLogRecord("ExtEscape");
  if (dc != HostScreenDc() || escape != GETRAWFRAMEBUFFER || !out || HostCallFails("ExtEscape")) return 0;
  const HostPanel& panel = HostDisplayPanel();
  RawFrameBufferInfo info{};
  info.wFormat = FORMAT_565;
  info.wBPP = 16;
  info.pFramePointer = HostDisplayMemory();
  info.cxStride = 2;
  info.cyStride = HostDisplayRowBytes();
  info.cxPixels = panel.width;
  info.cyPixels = panel.height;
  *reinterpret_cast<RawFrameBufferInfo*>(out) = info;
  return 1;
}
