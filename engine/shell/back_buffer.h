// The landscape RGB565 back buffer every frame is composed into, and its
// present into portrait display memory (turned by 90 degrees).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/movie/movie_player.h"
#include "engine/shell/screen_mode.h"
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

  // Plays folder + name (only the part after a '/', any extension replaced)
  // in a new player that replaces any other. 1 when playing, else 0.
  int PlayMovie(const std::string& folder, const char* name, CSoundMixer* mixer, int volume, int readWhole,
                std::uint32_t vgaQuality);
  // 1 while a player is attached.
  bool IsMoviePlaying() const { return movie_ != nullptr; }
  // Shows the movie's next frame when it is due: 1 while it goes on; 0 when
  // none plays or it has just ended (its sound stopped, the player freed).
  int PollMovie();
  // 0 when no movie was attached; else stops slot 0, frees the player, 1.
  int StopMovie();
  void AttachMovie(std::unique_ptr<CMoviePlayer> movie) { movie_ = std::move(movie); }
  const CMoviePlayer* Movie() const { return movie_.get(); }

  GXDisplayProperties properties{};
  CScreenMode screenMode;

 private:
  std::vector<std::uint16_t> pixels_;
  std::unique_ptr<CMoviePlayer> movie_;
  std::uint32_t width_;
  std::uint32_t height_;
  std::uint32_t bitsPerPixel_ = 16;
};
