#include <utility>

#include "host/gdi/gdi_api.h"
#include "host/gdi/gdi_objects.h"
#include "host/window/window_api.h"

namespace {

// A window's device context is the window's handle.
HWND DcWindow(HDC dc) { return reinterpret_cast<HWND>(dc); }

}  // namespace

int FillRect(HDC dc, const RECT* rect, HBRUSH /*brush*/) { return IsWindow(DcWindow(dc)) && rect ? 1 : 0; }

HGDIOBJ GetStockObject(int object) {
  return object == BLACK_BRUSH ? reinterpret_cast<HGDIOBJ>(std::uintptr_t{0x10 + BLACK_BRUSH}) : nullptr;
}

COLORREF SetBkColor(HDC dc, COLORREF color) {
  const std::shared_ptr<GdiDc> memory = GdiFindDc(dc);
  if (!memory) return 0;
  return std::exchange(memory->background, color);
}

COLORREF SetTextColor(HDC dc, COLORREF color) {
  const std::shared_ptr<GdiDc> memory = GdiFindDc(dc);
  if (!memory) return 0;
  return std::exchange(memory->text, color);
}

int SetBkMode(HDC dc, int mode) {
  const std::shared_ptr<GdiDc> memory = GdiFindDc(dc);
  if (!memory) return TRANSPARENT;
  if (mode != OPAQUE && mode != TRANSPARENT) return 0;
  return std::exchange(memory->backgroundMode, mode);
}
