#include "host/gdi/gdi_api.h"

#include "host/window/window_api.h"

namespace {

// A window's device context is the window's handle.
HWND DcWindow(HDC dc) { return reinterpret_cast<HWND>(dc); }

}  // namespace

// A window's own surface is never seen: the picture on the device is display
// memory, which the engine writes directly. The GDI calls only check their
// arguments.
int FillRect(HDC dc, const RECT* rect, HBRUSH /*brush*/) { return IsWindow(DcWindow(dc)) && rect ? 1 : 0; }

HGDIOBJ GetStockObject(int object) {
  return object == BLACK_BRUSH ? reinterpret_cast<HGDIOBJ>(std::uintptr_t{0x10 + BLACK_BRUSH}) : nullptr;
}

COLORREF SetBkColor(HDC /*dc*/, COLORREF /*color*/) { return 0; }
COLORREF SetTextColor(HDC /*dc*/, COLORREF /*color*/) { return 0; }
int SetBkMode(HDC /*dc*/, int /*mode*/) { return 1; }
