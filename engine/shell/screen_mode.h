// The screen-mode flags: which picture set the engine uses and how a stylus
// point on the panel maps back to the landscape back buffer.
#pragma once

#include <cstdint>

class CScreenMode {
 public:
  // Clears the flags and fills them through the build's display access.
  CScreenMode();

  // The raw frame-buffer build's detection: landscape from the raw panel,
  // high resolution from the system metrics, VGA from the engine's screen width.
  static void DetectRaw(CScreenMode* mode);
  void Detect();

  // Window (panel) coordinates in, back-buffer coordinates out.
  void MapStylusPoint(std::int32_t* x, std::int32_t* y) const;

  std::uint32_t vga = 0;
  std::uint32_t highResolution = 0;
  std::uint32_t landscape = 0;
};
