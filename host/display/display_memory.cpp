#include <cstdio>
#include <vector>

#include "host/display/display_api.h"

namespace {

struct DisplayMemory {
  HostPanel panel;
  std::vector<std::uint16_t> pixels;
};

int RowBytes(const HostPanel& panel) { return panel.width * 2 + panel.rowPaddingBytes; }

DisplayMemory& Display() {
  static DisplayMemory display = [] {
    DisplayMemory made;
    made.pixels.assign(static_cast<std::size_t>(RowBytes(made.panel) / 2 * made.panel.height), 0);
    return made;
  }();
  return display;
}

}  // namespace

HDC HostScreenDc() { return reinterpret_cast<HDC>(std::uintptr_t{0x5C2EE2}); }

HDC GetDC(HWND window) { return window ? reinterpret_cast<HDC>(window) : HostScreenDc(); }

int ReleaseDC(HWND /*window*/, HDC /*dc*/) { return 1; }

bool HostParsePanel(const std::string& text, HostPanel* panel) {
  int width = 0;
  int height = 0;
  int padding = 0;
  char tail = 0;
  const int fields = std::sscanf(text.c_str(), "%dx%d+%d%c", &width, &height, &padding, &tail);
  if (fields < 2 || fields > 3 || width <= 0 || height <= 0 || width > 4096 || height > 4096 ||
      padding < 0 || padding % 2 != 0 || padding > 4096) {
    return false;
  }
  *panel = HostPanel{width, height, fields == 3 ? padding : 0};
  return true;
}

void HostDisplaySetPanel(const HostPanel& panel) {
  DisplayMemory& display = Display();
  display.panel = panel;
  display.pixels.assign(static_cast<std::size_t>(RowBytes(panel) / 2 * panel.height), 0);
}

const HostPanel& HostDisplayPanel() { return Display().panel; }

std::uint16_t* HostDisplayMemory() { return Display().pixels.data(); }

int HostDisplayRowBytes() { return RowBytes(Display().panel); }

std::uint16_t HostDisplayPixel(int x, int y) {
  const DisplayMemory& display = Display();
  return display.pixels[static_cast<std::size_t>(y * (RowBytes(display.panel) / 2) + x)];
}

int GetSystemMetrics(int index) {
  const HostPanel& panel = Display().panel;
  if (index == SM_CXSCREEN) return panel.width;
  if (index == SM_CYSCREEN) return panel.height;
  return 0;
}
