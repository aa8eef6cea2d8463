// The screen-mode flags: which picture set the engine uses and how a stylus
// point on the panel maps back to the landscape back buffer.
#pragma once

#include <cstdint>

class CScreenMode {
 public:
  // Clears the flags and fills them through the build's display access.
  CScreenMode();

  void Detect();

  // Window (panel) coordinates in, back-buffer coordinates out.
  void MapStylusPoint(std::int32_t* x, std::int32_t* y) const;

  std::uint32_t vga = 0;
  std::uint32_t highResolution = 0;
  std::uint32_t landscape = 0;
};
