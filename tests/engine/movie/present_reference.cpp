#include "tests/engine/movie/present_reference.h"

namespace {

struct Channels {
  std::uint32_t r, g, b;
};

Channels Split(std::uint32_t p) { return {p >> 11u, (p >> 5u) & 63u, p & 31u}; }
std::uint16_t Join(Channels c) { return static_cast<std::uint16_t>(c.r << 11 | c.g << 5 | c.b); }

// Per channel: the halves rounded down, summed, with the low bit both share
// set into the result (set, not added: an odd sum keeps its value).
std::uint32_t Half2(std::uint32_t a, std::uint32_t b) { return (a / 2 + b / 2) | (a & b & 1u); }

std::uint16_t Mean2(std::uint16_t a, std::uint16_t b) {
  const Channels x = Split(a), y = Split(b);
  return Join({Half2(x.r, y.r), Half2(x.g, y.g), Half2(x.b, y.b)});
}

// Per channel: the quarters rounded down, summed, with the low two bits all
// four share set into the result.
std::uint32_t Quarter4(std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint32_t d) {
  return (a / 4 + b / 4 + c / 4 + d / 4) | (a & b & c & d & 3u);
}

std::uint16_t Mean4(std::uint16_t a, std::uint16_t b, std::uint16_t c, std::uint16_t d) {
  const Channels w = Split(a), x = Split(b), y = Split(c), z = Split(d);
  return Join({Quarter4(w.r, x.r, y.r, z.r), Quarter4(w.g, x.g, y.g, z.g), Quarter4(w.b, x.b, y.b, z.b)});
}

bool IsDefined(const ReferenceFrame& f) { return (f.width == 240 && f.height == 320) || (f.width == 480 && f.height == 640); }

}  // namespace

ReferenceFrame DoubledReference(const ReferenceFrame& frame, bool smooth) {
  ReferenceFrame out{frame.width * 2, frame.height * 2, {}};
  out.pixels.resize(std::size_t{out.width} * out.height);
  for (std::uint32_t y = 0; y < frame.height; ++y) {
    for (std::uint32_t x = 0; x < frame.width; ++x) {
      const std::uint16_t s = frame.At(x, y);
      std::uint16_t block[4] = {s, s, s, s};
      if (smooth && y + 1 < frame.height) {
        const bool last = x + 1 == frame.width;
        const std::uint16_t r = last ? s : frame.At(x + 1, y);
        const std::uint16_t d = frame.At(x, y + 1);
        const std::uint16_t e = last ? d : frame.At(x + 1, y + 1);
        block[1] = Mean2(s, r);
        block[2] = Mean2(s, d);
        block[3] = Mean4(s, r, d, e);
      }
      for (int i = 0; i < 4; ++i) out.pixels[(2 * y + i / 2) * out.width + 2 * x + i % 2] = block[i];
    }
  }
  return out;
}

std::vector<std::uint16_t> ExpectedDisplay(const ReferenceFrame& frame, bool landscape, bool smooth,
                                           std::uint32_t rows, std::uint32_t columns, std::uint16_t blank) {
  std::vector<std::uint16_t> display(std::size_t{rows} * columns, blank);
  const std::uint32_t screenWidth = rows, screenHeight = columns;
  // The side the size rules look at: landscape width, or the turned frame's rows.
  const std::uint32_t side = landscape ? frame.width : frame.height;
  if (side >= 640 && screenWidth != 640) return display;
  const bool doubled = side < 640 && screenWidth >= 640;
  const ReferenceFrame shown = doubled ? DoubledReference(frame, smooth) : frame;
  auto put = [&](long long row, long long column, std::uint16_t value) {
    if (row >= 0 && row < rows && column >= 0 && column < columns) display[row * columns + column] = value;
  };
  if (landscape) {
    const long long left = static_cast<long long>(screenWidth / 2) - (doubled ? frame.width : frame.width / 2);
    const long long top = static_cast<long long>(screenHeight / 2) - (doubled ? frame.height : frame.height / 2);
    for (std::uint32_t y = 0; y < shown.height; ++y) {
      for (std::uint32_t x = 0; x < shown.width; ++x) put(static_cast<long long>(screenWidth) - 1 - (left + x), top + y, shown.At(x, y));
    }
    return display;
  }
  long long firstRow = 0, firstColumn = 0;
  if (!IsDefined(frame)) {
    // Centred the way the landscape frames are: each size halved first.
    firstRow = static_cast<long long>(screenWidth / 2) - shown.height / 2;
    firstColumn = static_cast<long long>(screenHeight / 2) - shown.width / 2;
  }
  for (std::uint32_t y = 0; y < shown.height; ++y) {
    for (std::uint32_t x = 0; x < shown.width; ++x) put(firstRow + y, firstColumn + x, shown.At(x, y));
  }
  return display;
}
