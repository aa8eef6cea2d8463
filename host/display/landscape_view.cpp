#include "host/display/landscape_view.h"

#include "host/display/display_api.h"

// The engine writes its landscape pixel (x, y) to portrait panel point
// (y, H - 1 - x), H being the panel height; this undoes that turn.
LandscapeView TakeLandscapeView() {
  const HostPanel& panel = HostDisplayPanel();
  LandscapeView view;
  const bool portrait = panel.width <= panel.height;
  view.width = portrait ? panel.height : panel.width;
  view.height = portrait ? panel.width : panel.height;
  view.pixels.resize(static_cast<std::size_t>(view.width) * static_cast<std::size_t>(view.height));
  for (int y = 0; y < view.height; ++y) {
    for (int x = 0; x < view.width; ++x) {
      const std::uint16_t pixel =
          portrait ? HostDisplayPixel(y, panel.height - 1 - x) : HostDisplayPixel(x, y);
      view.pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(view.width) +
                  static_cast<std::size_t>(x)] = pixel;
    }
  }
  return view;
}

void LandscapeToPanel(int x, int y, int* panelX, int* panelY) {
  const HostPanel& panel = HostDisplayPanel();
  if (panel.width <= panel.height) {
    *panelX = y;
    *panelY = panel.height - 1 - x;
  } else {
    *panelX = x;
    *panelY = y;
  }
}
