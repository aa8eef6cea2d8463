#include "engine/movie/movie_present.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::uint32_t kLargeSide = 640;

// Where output pixel (u, v) of the scaled frame lands in portrait terms:
// u moves along one display axis, v along the other.
struct Placement {
  std::int64_t rowAt = 0;  // display row of output (0, 0)
  std::int64_t colAt = 0;
  bool uAlongRows = false;  // landscape frames: u walks the rows backwards
};

struct Span {
  std::int64_t begin = 0;
  std::int64_t end = 0;
};

// Output offsets in [0, size) whose display coordinate at + step * offset
// lies in [0, limit); step is +1 or -1.
Span VisibleSpan(std::int64_t at, int step, std::int64_t limit, std::int64_t size) {
  if (step > 0) return {std::max<std::int64_t>(0, -at), std::min(size, limit - at)};
  return {std::max<std::int64_t>(0, at - limit + 1), std::min(size, at + 1)};
}

std::uint16_t Sample(const MovieFrame& frame, std::uint32_t scale, bool smooth, std::int64_t u, std::int64_t v) {
  if (scale == 1) return frame.pixels[static_cast<std::size_t>(v) * frame.pitchPixels + static_cast<std::size_t>(u)];
  const auto x = static_cast<std::size_t>(u >> 1);
  const auto y = static_cast<std::size_t>(v >> 1);
  const std::uint16_t* row = frame.pixels + y * frame.pitchPixels;
  const std::uint16_t s = row[x];
  if (!smooth || y + 1 >= frame.height) return s;
  const bool right = (u & 1) != 0;
  const bool down = (v & 1) != 0;
  if (!right && !down) return s;
  const std::uint16_t* below = row + frame.pitchPixels;
  const bool lastColumn = x + 1 >= frame.width;
  const std::uint16_t r = lastColumn ? s : row[x + 1];
  const std::uint16_t d = below[x];
  if (!down) return Average2(s, r);
  if (!right) return Average2(s, d);
  return Average4(s, r, d, lastColumn ? d : below[x + 1]);
}

void Draw(const MovieFrame& frame, const MovieScreen& screen, std::uint32_t scale, bool smooth, const Placement& at) {
  if (!frame.pixels || !screen.base) return;
  const std::int64_t outWidth = std::int64_t{frame.width} * scale;
  const std::int64_t outHeight = std::int64_t{frame.height} * scale;
  const std::int64_t rows = std::min(screen.width, screen.shownRows);
  const std::int64_t columns = std::min(screen.height, screen.shownColumns);
  const Span us = at.uAlongRows ? VisibleSpan(at.rowAt, -1, rows, outWidth) : VisibleSpan(at.colAt, 1, columns, outWidth);
  const Span vs = at.uAlongRows ? VisibleSpan(at.colAt, 1, columns, outHeight) : VisibleSpan(at.rowAt, 1, rows, outHeight);
  if (us.begin >= us.end || vs.begin >= vs.end) return;
  const std::ptrdiff_t stepU = at.uAlongRows ? -screen.yPitch : screen.xPitch;
  for (std::int64_t v = vs.begin; v < vs.end; ++v) {
    const std::int64_t row = at.uAlongRows ? at.rowAt - us.begin : at.rowAt + v;
    const std::int64_t col = at.uAlongRows ? at.colAt + v : at.colAt + us.begin;
    std::uint8_t* out = screen.base + row * screen.yPitch + col * screen.xPitch;
    for (std::int64_t u = us.begin; u < us.end; ++u) {
      const std::uint16_t pixel = Sample(frame, scale, smooth, u, v);
      std::memcpy(out, &pixel, sizeof pixel);
      if (u + 1 < us.end) out += stepU;
    }
  }
}

// 2 to double, 1 for 1:1, 0 when the frame is not shown on this screen.
std::uint32_t ScaleFor(std::uint32_t side, std::uint32_t screenWidth) {
  if (side < kLargeSide) return screenWidth >= kLargeSide ? 2 : 1;
  return screenWidth == kLargeSide ? 1 : 0;
}

bool IsDefinedTurnedSize(const MovieFrame& frame) {
  return (frame.width == 240 && frame.height == 320) || (frame.width == 480 && frame.height == 640);
}

}  // namespace

bool MovieFrameShows(std::uint32_t side, std::uint32_t screenWidth) { return ScaleFor(side, screenWidth) != 0; }

void PresentLandscapeFrame(const MovieFrame& frame, const MovieScreen& screen, bool smooth) {
  const std::uint32_t scale = ScaleFor(frame.width, screen.width);
  if (scale == 0) return;
  const std::int64_t x0 = std::int64_t{screen.width / 2} - std::int64_t{frame.width} * scale / 2;
  const std::int64_t y0 = std::int64_t{screen.height / 2} - std::int64_t{frame.height} * scale / 2;
  Draw(frame, screen, scale, smooth, Placement{std::int64_t{screen.width} - 1 - x0, y0, true});
}

void PresentTurnedFrame(const MovieFrame& frame, const MovieScreen& screen, bool smooth) {
  const std::uint32_t scale = ScaleFor(frame.height, screen.width);
  if (scale == 0) return;
  Placement at;
  if (!IsDefinedTurnedSize(frame)) {
    at.rowAt = std::int64_t{screen.width / 2} - std::int64_t{frame.height} * scale / 2;
    at.colAt = std::int64_t{screen.height / 2} - std::int64_t{frame.width} * scale / 2;
  }
  Draw(frame, screen, scale, smooth, at);
}

void ClearMovieScreen(const MovieScreen& screen) {
  if (!screen.base) return;
  const std::uint16_t black = 0;
  const std::uint32_t rows = std::min(screen.width, screen.shownRows);
  const std::uint32_t columns = std::min(screen.height, screen.shownColumns);
  for (std::uint32_t row = 0; row < rows; ++row) {
    std::uint8_t* out = screen.base + static_cast<std::ptrdiff_t>(row) * screen.yPitch;
    for (std::uint32_t col = 0; col < columns; ++col) {
      std::memcpy(out, &black, sizeof black);
      if (col + 1 < columns) out += screen.xPitch;
    }
  }
}
