// Display memory as a person sees it holding the device sideways: a portrait
// panel turned back so the engine's landscape picture stands upright, a
// landscape panel as it is. Shared by the desktop window and screenshots.
#pragma once

#include <cstdint>
#include <vector>

struct LandscapeView {
  int width = 0;
  int height = 0;
  std::vector<std::uint16_t> pixels;  // RGB565, rows of width pixels
};

LandscapeView TakeLandscapeView();
// Panel point under a point of the landscape view (for the stylus).
void LandscapeToPanel(int x, int y, int* panelX, int* panelY);
