// The landscape RGB565 back buffer every frame is composed into, and its
// present into portrait display memory (turned by 90 degrees).
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "engine/shell/screen_mode.h"
#include "engine/shell/shell_ports.h"
#include "host/display/gapi.h"

class CBackBuffer {
 public:
  // Screen mode detected, size from the engine's screen size, pixels black.
  CBackBuffer();

  std::uint16_t* GetPixels() { return pixels_.data(); }
  std::uint32_t GetWidth() const { return width_; }
  std::uint32_t GetHeight() const { return height_; }

  // Copies into display memory at frame: the whole buffer when dst or src is
  // null, else (right - left) x (bottom - top) pixels from back-buffer point
  // src to screen rectangle dst. Back-buffer pixel (x, y) lands at
  // frame + (w - 1 - x) * y pitch + y * x pitch. Everything outside the back
  // buffer or the display's portrait size is left out.
  void Present(HWND window, void* frame, const RECT* dst, const POINT* src) const;

  // The movie on screen, if any.
  bool IsMoviePlaying() const { return movie_ && movie_->IsPlaying(); }
  // True when the movie ended with this poll (it is then let go).
  bool PollMovie();
  void StopMovie();
  void AttachMovie(std::unique_ptr<MoviePort> movie) { movie_ = std::move(movie); }

  GXDisplayProperties properties{};
  CScreenMode screenMode;

 private:
  std::vector<std::uint16_t> pixels_;
  std::unique_ptr<MoviePort> movie_;
  std::uint32_t width_;
  std::uint32_t height_;
  std::uint32_t bitsPerPixel_ = 16;
};
