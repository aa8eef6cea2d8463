#include "engine/shell/back_buffer.h"

#include <algorithm>

#include "engine/movie/movie_paths.h"
#include "engine/runtime/runtime_globals.h"
#include "engine/sound/sound_mixer.h"
#include "engine/shell/turned_copy.h"

CBackBuffer::CBackBuffer()
    : width_(static_cast<std::uint32_t>(std::max(GetScreenWidth(), 0))),
      height_(static_cast<std::uint32_t>(std::max(GetScreenHeight(), 0))) {
  // Cleared, so the first paint shows black rather than leftover memory.
  pixels_.assign(static_cast<std::size_t>(width_) * height_, 0);
}

int CBackBuffer::PlayMovie(const std::string& folder, const char* name, CSoundMixer* mixer, int volume,
                           int readWhole, std::uint32_t vgaQuality) {
  const std::string path = WithExtension(folder + AfterLastSlash(name), ".rzm");
  movie_.reset();
  movie_ = std::make_unique<CMoviePlayer>();
  if (movie_->Open(path.c_str(), mixer, volume, readWhole, vgaQuality)) return 1;
  movie_.reset();
  return 0;
}

int CBackBuffer::PollMovie() {
  if (!movie_) return 0;
  if (movie_->Advance()) return 1;
  StopMovie();
  return 0;
}

int CBackBuffer::StopMovie() {
  if (!movie_) return 0;
  if (CSoundMixer* mixer = movie_->Mixer()) mixer->StopChannel(0);
  movie_.reset();
  return 1;
}

void CBackBuffer::Present(HWND /*window*/, void* frame, const RECT* dst, const POINT* src) const {
  if (!frame || pixels_.empty()) return;
  const std::int32_t w = static_cast<std::int32_t>(width_);
  const std::int32_t h = static_cast<std::int32_t>(height_);
  const RECT whole{0, 0, w, h};
  const RECT d = dst && src ? *dst : whole;
  const POINT s = dst && src ? *src : POINT{0, 0};
  const std::int32_t displayColumns = static_cast<std::int32_t>(properties.cxWidth);
  const std::int32_t displayRows = static_cast<std::int32_t>(properties.cyHeight);

  // Offsets i (along x) and j (along y) inside the rectangle that stay within
  // the back buffer on both ends and within the portrait display, where
  // screen x becomes display row w - 1 - x and screen y display column y.
  const std::int32_t iBegin = std::max({0, -s.x, -d.left, w - displayRows - d.left});
  const std::int32_t iEnd = std::min({d.right - d.left, w - s.x, w - d.left});
  const std::int32_t jBegin = std::max({0, -s.y, -d.top});
  const std::int32_t jEnd = std::min({d.bottom - d.top, h - s.y, h - d.top, displayColumns - d.top});
  if (iBegin >= iEnd || jBegin >= jEnd) return;

  const std::int32_t xp = properties.cbxPitch;
  const std::int32_t yp = properties.cbyPitch;
  auto* display = static_cast<std::uint8_t*>(frame);
  CopyTurned(TurnedBlock{&pixels_[static_cast<std::size_t>((s.y + jBegin) * w + s.x + iBegin)], w,
                         display + static_cast<std::ptrdiff_t>(w - 1 - (d.left + iBegin)) * yp +
                             static_cast<std::ptrdiff_t>(d.top + jBegin) * xp,
                         -static_cast<std::ptrdiff_t>(yp), xp, iEnd - iBegin, jEnd - jBegin});
}
